# The posix thread flavour of the compilers gives std::thread and std::mutex to tests; programs link statically.
set(CMAKE_C_COMPILER ${VELMORA_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_HOST}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
