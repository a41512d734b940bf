# Installs a KALVOR build into a temporary prefix and builds programs against
# it the ways a user would: find_package(kalvor 9.1) and pkg-config; each
# must repeat tests/c/default_cycle.out and .met. Then: find_package(kalvor 10)
# fails, a moved prefix still builds and finds its data, DESTDIR stages the
# installation and the uninstall target empties it again.
#   cmake -DBUILD=<kalvor build> -DSOURCE=<kalvor source> -DWORK=<dir>
#         -DGENERATOR=<generator> -DCC=<C compiler> -P check_install.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "${cmd}: ${rc}\n${out}\n${err}")
  endif()
endfunction()

function(check_program program name)
  run(${CMAKE_COMMAND} -DPROGRAM=${program} -DWORKDIR=${WORK}/run_${name}
      -DEXPECT_STDOUT=${SOURCE}/tests/c/default_cycle.out -DEXPECT_STATUS=0
      -DEXPECT_FILE=kalvor.met -DREFERENCE=${SOURCE}/tests/c/default_cycle.met
      -P ${SOURCE}/tests/c/run_program.cmake)
endfunction()

# Configures and builds the consumer project against `prefix`.
function(consume prefix bin want result)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/packaging/consumer -B ${bin} -G ${GENERATOR}
                  -DCMAKE_PREFIX_PATH=${prefix} -DKALVOR_WANT=${want} -DKALVOR_EXAMPLES=${SOURCE}/examples
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result} "${rc}\n${out}\n${err}" PARENT_SCOPE)
  if(rc EQUAL 0)
    run(${CMAKE_COMMAND} --build ${bin})
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

consume(${prefix} ${WORK}/found 9.1 result)
if(NOT result MATCHES "^0\n")
  message(FATAL_ERROR "find_package(kalvor 9.1) failed:\n${result}")
endif()
check_program(${WORK}/found/default_cycle found_c)
check_program(${WORK}/found/world_then_default found_cxx)

set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
execute_process(COMMAND pkg-config --cflags --libs kalvor OUTPUT_VARIABLE flags RESULT_VARIABLE rc
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(rc)
  message(FATAL_ERROR "pkg-config does not know kalvor")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CC} ${SOURCE}/examples/default_cycle.c ${flags} -Wl,-rpath,${prefix}/lib -o ${WORK}/pc_default_cycle)
check_program(${WORK}/pc_default_cycle pkgconfig_c)

consume(${prefix} ${WORK}/too_new 10 result)
if(result MATCHES "^0\n" OR NOT result MATCHES "version: 9.1")
  message(FATAL_ERROR "find_package(kalvor 10) accepted version 9.1:\n${result}")
endif()

# Moved (to a name with a blank): the package files and the library's data
# lookup are relative to where they lie. The world map warns without data.
set(moved "${WORK}/moved prefix")
file(RENAME ${prefix} ${moved})
consume(${moved} ${WORK}/moved_build 9.1 result)
if(NOT result MATCHES "^0\n")
  message(FATAL_ERROR "the moved prefix is not found:\n${result}")
endif()
check_program(${WORK}/moved_build/world_then_default moved_cxx)

# DESTDIR stages the configured prefix; uninstall removes every file and
# the directories that became empty.
set(ENV{DESTDIR} ${WORK}/stage)
run(${CMAKE_COMMAND} --install ${BUILD})
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${WORK}/stage/*)
list(FILTER staged INCLUDE REGEX "/libkalvor.so.9$|/kalvor.pc$|/kalvorConfig.cmake$|/map1.dat$|/kalvor.h$")
list(LENGTH staged n)
if(NOT n EQUAL 5)
  message(FATAL_ERROR "DESTDIR staging incomplete: ${staged}")
endif()
run(${CMAKE_COMMAND} --build ${BUILD} --target uninstall)
unset(ENV{DESTDIR})
file(STRINGS ${BUILD}/CMakeCache.txt configured REGEX "^CMAKE_INSTALL_PREFIX:")
string(REGEX REPLACE "^[^=]*=" "" configured "${configured}")
file(GLOB_RECURSE left LIST_DIRECTORIES true "${WORK}/stage${configured}/*")
if(left)
  message(FATAL_ERROR "left after uninstall: ${left}")
endif()
