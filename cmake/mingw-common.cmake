# Shared part of the two mingw toolchain files. Everything is linked statically so that the
# programs need no mingw DLLs beside them.
set(CMAKE_C_COMPILER ${POMAREL_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${POMAREL_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${POMAREL_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${POMAREL_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
