# Lays the release folder: the shipped setup.exe beside the packaged J2SE and TOMCAT trees, and
# SHA256SUMS over every file. Names are listed in a fixed order, so two builds of one commit give
# the same bytes.
#   cmake -DEXE=... -DSAMPLE=... -DDIST=... -P MakeDist.cmake
foreach(variable EXE SAMPLE DIST)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "MakeDist.cmake needs -D${variable}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${DIST})
file(MAKE_DIRECTORY ${DIST})
file(COPY ${EXE} DESTINATION ${DIST})
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
