// The vector run on a map and its report.
#include "logic/map_simulation.h"

#include "abelc/fuse_model.h"
#include "abelc/vectors.h"

MapSimulation SimulateMap(const MapLogic& logic, const std::vector<std::string>& vectors) {
  abelc::FuseMapModel model(logic.Arch->family, logic.Fuses);
  // A tester's file leaves an output it does not test as X: the table shows
  // what the output does there, as for an N.
  std::vector<std::string> run_vectors = vectors;
  for (std::string& v : run_vectors) {
    for (std::size_t k = 0; k < v.size(); ++k) {
      if (v[k] == 'X' && model.IsOutput(static_cast<int>(k) + 1)) v[k] = 'N';
    }
  }
  const abelc::VectorRun run = abelc::RunPinVectors(model, run_vectors);
  MapSimulation result;
  result.Passed = run.passed;
  result.Total = static_cast<int>(run.shown.size());
  const std::string text = abelc::VectorTableText(logic.PinNames, vectors, run);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    result.Lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return result;
}
