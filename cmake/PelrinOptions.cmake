# Compile options shared by every target of the project (not by GoogleTest).
add_library(pelrin_options INTERFACE)
target_compile_features(pelrin_options INTERFACE cxx_std_20)
target_include_directories(pelrin_options INTERFACE "${PROJECT_SOURCE_DIR}")
target_compile_options(pelrin_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wformat=2 -Werror)

if(WIN32)
  # Windows 7 API level; UNICODE stays off: the library works in the ANSI code page.
  target_compile_definitions(pelrin_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()

if(PELRIN_SANITIZE)
  set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitize_flags})
  add_link_options(-fsanitize=address,undefined)
endif()
