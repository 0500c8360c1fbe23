# The fuzz targets and the libraries each one drives. Shared by the fuzzing
# build (fuzz/CMakeLists.txt, clang with libFuzzer) and by the replay of the
# saved inputs in every ordinary test run (tests/robustness).
set(MORVIK_FUZZ_TARGETS
  frame
  exchange
  startup
  card_commands
  content_image
  typed_number
  cp932
)
set(MORVIK_FUZZ_LIBS_frame link)
set(MORVIK_FUZZ_LIBS_exchange card link headless_window)
set(MORVIK_FUZZ_LIBS_startup link headless_window)
set(MORVIK_FUZZ_LIBS_card_commands card content link headless_window)
set(MORVIK_FUZZ_LIBS_content_image content headless_window)
set(MORVIK_FUZZ_LIBS_typed_number card)
set(MORVIK_FUZZ_LIBS_cp932 headless_window cp932)

set(MORVIK_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
