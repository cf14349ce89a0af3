# Native Linux build of the portable text core: unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and libFuzzer targets.
set(MD5CHECK_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${MD5CHECK_SANITIZE})
add_link_options(${MD5CHECK_SANITIZE})
# Bounds-checked std::string indexing: a read past a text's NUL aborts even
# where ASan cannot see it (inside the string's spare capacity).
add_compile_definitions(_GLIBCXX_ASSERTIONS)
include(cmake/googletest.cmake)

add_library(md5check_text STATIC)
md5check_warnings(md5check_text)
target_include_directories(md5check_text PUBLIC ${PROJECT_SOURCE_DIR})
add_subdirectory(services)
add_subdirectory(tests/native)
