# Lays the release folder: the shipped setup.exe, signed when a certificate is given (see
# SignProgram.cmake), beside the packaged J2SE and TOMCAT trees, and SHA256SUMS over every file as
# shipped. Names are listed in a fixed order, so two unsigned builds of one commit give the same
# bytes.
#   cmake -DEXE=... -DSAMPLE=... -DDIST=... -DWORK=... [-DSETUP_SIGN_...=...] -P MakeDist.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/SignProgram.cmake)

foreach(variable EXE SAMPLE DIST WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "MakeDist.cmake needs -D${variable}=...")
  endif()
endforeach()

# The last release folder goes first: after a build that fails there is none left to be taken
# for this build's, nor one that mixes files of the two.
file(REMOVE_RECURSE ${DIST})
sign_program(${EXE} ${WORK} shipped)
file(MAKE_DIRECTORY ${DIST})
file(COPY ${shipped} DESTINATION ${DIST})
file(REMOVE_RECURSE ${WORK})
file(COPY ${SAMPLE}/J2SE ${SAMPLE}/TOMCAT DESTINATION ${DIST})

# The files that ATTRIBUTES marks hidden or system stand for what Explorer leaves in a folder; the
# tests need them, an administrator's copy does not.
file(STRINGS ${SAMPLE}/ATTRIBUTES entries REGEX "^[a-z]+[ \t]+[^ \t]")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[a-z]+[ \t]+" "" path "${entry}")
  string(REPLACE "\\" "/" path "${path}")
  file(REMOVE ${DIST}/${path})
endforeach()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${DIST} ${DIST}/*)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${DIST}/${file} hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE ${DIST}/SHA256SUMS "${sums}")
list(LENGTH files count)
message(STATUS "dist: ${count} files and SHA256SUMS in ${DIST}")
