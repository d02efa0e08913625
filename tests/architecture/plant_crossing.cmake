# Copies a clean tree, plants one include in it and runs the layer check on
# the copy, which the test expects to fail and say why.
#   cmake -DFIXTURE=<clean tree> -DWORK=<scratch folder> -DFILE=<path in tree>
#         -DINCLUDE=<"path" or <path>> -DQT_HEADERS=<dir> -P plant_crossing.cmake
cmake_minimum_required(VERSION 3.25)
foreach(required FIXTURE WORK FILE INCLUDE QT_HEADERS)
  if(NOT ${required})
    message(FATAL_ERROR "plant_crossing: ${required} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
file(COPY ${FIXTURE}/ DESTINATION ${WORK})
# After whatever the file holds; a file the tree lacks is made.
file(APPEND ${WORK}/${FILE} "#include ${INCLUDE}\n")
set(SOURCE_DIR ${WORK})
include(${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake)
