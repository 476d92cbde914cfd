# The about test reads the read-me from the source tree.
target_compile_definitions(test_app_about PRIVATE
  VAROLIN_README="${PROJECT_SOURCE_DIR}/readme.txt")
