# The fuzz targets and the libraries each one drives. Shared by the fuzzing
# build (fuzz/CMakeLists.txt, clang with libFuzzer) and by the replay of the
# saved inputs in every ordinary test run (tests/robustness).
set(MORVIK_FUZZ_TARGETS
  exchange
  card_commands
  content_image
  cp932
  card_decode
  cli_arguments
  csv_reader
  journal_reader
)
set(MORVIK_FUZZ_LIBS_exchange card link headless_window)
set(MORVIK_FUZZ_LIBS_card_commands card content link headless_window)
set(MORVIK_FUZZ_LIBS_content_image content headless_window)
set(MORVIK_FUZZ_LIBS_cp932 headless_window cp932)
set(MORVIK_FUZZ_LIBS_card_decode cli content)
set(MORVIK_FUZZ_LIBS_cli_arguments cli sim)
set(MORVIK_FUZZ_LIBS_csv_reader cli)
set(MORVIK_FUZZ_LIBS_journal_reader production)

set(MORVIK_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
