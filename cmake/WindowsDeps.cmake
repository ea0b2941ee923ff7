# Imported targets for the cross-built dependencies. The prefix comes from deps/build-deps.sh, which builds
# them into its cache on first use and afterwards only answers the cached prefix.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(_velmora_deps_arch x86_64)
else()
    set(_velmora_deps_arch i686)
endif()

set(VELMORA_DEPS_PREFIX "" CACHE PATH "Prefix of the cross-built OpenSSL, libcurl, TinyXML and GoogleTest")
if(NOT VELMORA_DEPS_PREFIX OR NOT EXISTS "${VELMORA_DEPS_PREFIX}/.complete")
    message(STATUS "Building or finding the ${_velmora_deps_arch} dependencies (first time: several minutes)")
    execute_process(
        COMMAND bash "${CMAKE_SOURCE_DIR}/deps/build-deps.sh" ${_velmora_deps_arch}
        OUTPUT_VARIABLE _velmora_prefix
        OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE _velmora_rc)
    if(NOT _velmora_rc EQUAL 0)
        message(FATAL_ERROR "deps/build-deps.sh ${_velmora_deps_arch} failed")
    endif()
    set(VELMORA_DEPS_PREFIX "${_velmora_prefix}" CACHE PATH "" FORCE)
endif()
set(_p "${VELMORA_DEPS_PREFIX}")

add_library(velmora_dep_curl INTERFACE IMPORTED GLOBAL)
target_include_directories(velmora_dep_curl INTERFACE "${_p}/include")
target_compile_definitions(velmora_dep_curl INTERFACE CURL_STATICLIB)
target_link_libraries(velmora_dep_curl INTERFACE
    "${_p}/lib/libcurl.a" "${_p}/lib/libssl.a" "${_p}/lib/libcrypto.a"
    z ws2_32 crypt32 bcrypt wldap32 pthread)

add_library(velmora_dep_tinyxml INTERFACE IMPORTED GLOBAL)
target_include_directories(velmora_dep_tinyxml INTERFACE "${_p}/include/tinyxml")
target_compile_definitions(velmora_dep_tinyxml INTERFACE TIXML_USE_STL)
target_link_libraries(velmora_dep_tinyxml INTERFACE "${_p}/lib/libtinyxml.a")

add_library(velmora_gtest INTERFACE IMPORTED GLOBAL)
target_include_directories(velmora_gtest INTERFACE "${_p}/include")
target_link_libraries(velmora_gtest INTERFACE "${_p}/lib/libgtest_main.a" "${_p}/lib/libgtest.a" pthread)
