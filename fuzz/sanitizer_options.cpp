// The address sanitizer's settings for every fuzz target, linked into each.
//
// Every allocation and free records its call stack, and the sanitizer keeps
// each distinct stack for the life of the process. The compiler's parser and
// elaborator recurse as deep as the input nests, so nearly every new input
// brings new stacks and the store grows without end; eight frames still name
// the code that allocated or freed. A 256 MB quarantine of freed blocks,
// emptied and returned to the system every second by libFuzzer, made most of
// a small input's time page faults; 16 MB still holds every block that one
// input frees, so a use after free is caught all the same.
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=8:quarantine_size_mb=16";
}
