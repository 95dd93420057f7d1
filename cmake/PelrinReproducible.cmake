# Two builds of one commit give the same bytes: every date stamped into an
# output is SOURCE_DATE_EPOCH (from the environment, else the commit's date),
# PE files carry no link time, and the tools that read the wall clock get
# that date instead (cmake/fixed_clock.c, preloaded).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(PELRIN_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${PROJECT_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE PELRIN_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_result ERROR_QUIET)
  if(NOT git_result EQUAL 0 OR NOT PELRIN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(PELRIN_SOURCE_DATE_EPOCH 0)
  endif()
endif()

target_link_options(pelrin_options INTERFACE -Wl,--no-insert-timestamp)

# Built when the project is configured, so every build step may use it.
set(fixed_clock_dir "${CMAKE_BINARY_DIR}/fixed-clock")
set(fixed_clock_source "${PROJECT_SOURCE_DIR}/cmake/fixed_clock.c")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${fixed_clock_source}")
file(MAKE_DIRECTORY "${fixed_clock_dir}")
execute_process(
  COMMAND gcc -std=c11 -O2 -Wall -Wextra -Werror -shared -fPIC -o "${fixed_clock_dir}/libpelrin_fixed_clock.so"
          "${fixed_clock_source}" -ldl
  RESULT_VARIABLE fixed_clock_result)
if(NOT fixed_clock_result EQUAL 0)
  message(FATAL_ERROR "Cannot build cmake/fixed_clock.c with gcc")
endif()
# Prefix of a command that runs a tool, and what it starts, on the fixed
# clock. (LD_PRELOAD splits at spaces: the library by name, its folder in the
# search path.)
set(PELRIN_FIXED_CLOCK "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${PELRIN_SOURCE_DATE_EPOCH}" TZ=UTC
    "LD_LIBRARY_PATH=${fixed_clock_dir}" LD_PRELOAD=libpelrin_fixed_clock.so)
