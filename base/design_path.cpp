// The current design's path, one global shared by the commands and the
// chip-diagram display.
#include "base/design_path.h"

std::string CurrentDesignPath;
