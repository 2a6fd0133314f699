# Helpers of the install checks, which run as cmake -P scripts.

# Runs a command; on failure stops with the command and everything it printed.
# Leaves its standard output in run_output.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${status}): ${command}\n${output}${errors}")
  endif()
  set(run_output "${output}" PARENT_SCOPE)
endfunction()

# Installs the build into a new prefix and gives the checks an empty work
# directory.
function(fresh_install build_dir prefix work_dir)
  file(REMOVE_RECURSE ${prefix} ${work_dir})
  file(MAKE_DIRECTORY ${work_dir})
  run(${CMAKE_COMMAND} --install ${build_dir} --prefix ${prefix})
endfunction()

function(expect_files prefix)
  foreach(file IN LISTS ARGN)
    if(NOT EXISTS ${prefix}/${file})
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
endfunction()

# The little-endian number of `bytes` bytes at `offset` of a hex dump.
function(read_little_endian hex offset bytes result)
  set(value "")
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last})
    math(EXPR at "(${offset} + ${i}) * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    set(value "${byte}${value}")
  endforeach()
  math(EXPR value "0x${value}")
  set(${result} ${value} PARENT_SCOPE)
endfunction()

# A picture written by TALVEX_SaveBMP: a 24-bit bottom-up BMP of the given
# size, the layout of talvex.h's snapshot, whose pixels are not all of one colour (something was drawn on the
# background).
function(expect_bmp path width height)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "no picture ${path}")
  endif()
  file(READ ${path} header LIMIT 54 HEX)
  string(SUBSTRING "${header}" 0 4 magic)
  read_little_endian("${header}" 18 4 actual_width)
  read_little_endian("${header}" 22 4 actual_height)
  read_little_endian("${header}" 28 2 bits)
  if(NOT magic STREQUAL "424d" OR NOT bits EQUAL 24)
    message(FATAL_ERROR "${path} is not a 24-bit BMP")
  endif()
  if(NOT actual_width EQUAL width OR NOT actual_height EQUAL height)
    message(FATAL_ERROR "${path} is ${actual_width} x ${actual_height}, not ${width} x ${height}")
  endif()
  # Rows padded to 4 bytes, the file too.
  math(EXPR pixel_bytes "(${width} * 3 + 3) / 4 * 4 * ${height}")
  math(EXPR expected_size "(54 + ${pixel_bytes} + 3) / 4 * 4")
  file(SIZE ${path} size)
  if(NOT size EQUAL expected_size)
    message(FATAL_ERROR "${path} has ${size} bytes, not ${expected_size}")
  endif()
  file(READ ${path} pixels OFFSET 54 LIMIT ${pixel_bytes} HEX)
  string(SUBSTRING "${pixels}" 0 6 first)
  string(REGEX REPLACE "(${first})+" "" rest "${pixels}")
  if(rest STREQUAL "")
    message(FATAL_ERROR "${path} is all one colour: nothing was drawn")
  endif()
  message(STATUS "${path}: ${width} x ${height}, drawn")
endfunction()
