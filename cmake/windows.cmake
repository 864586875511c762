# Windows builds, MinGW-w64 or MSVC.
#
# Boost links statically, so that the add-on carries what it uses of Boost.Filesystem. The
# target is Windows 7 and later, as for the Boost build; <windows.h> comes without its rarely
# used parts and without the min and max macros.
enable_language(RC)  # the DLL's version resource, minihost's manifest
set(Boost_USE_STATIC_LIBS ON)
add_compile_definitions(_WIN32_WINNT=0x0601 BOOST_ALL_NO_LIB WIN32_LEAN_AND_MEAN NOMINMAX)

# MinGW links its C++, GCC and thread runtimes into every binary: the add-on then imports only
# the system's libraries, the C runtime and the host's qvsdkbase.dll, and the programs run
# without MinGW's DLLs beside them.
add_link_options($<$<CXX_COMPILER_ID:GNU>:-static>)
# One section per function and object, so that the linker can drop what nothing reaches.
add_compile_options($<$<CXX_COMPILER_ID:GNU>:-ffunction-sections$<SEMICOLON>-fdata-sections>)

# Under a cross build the test programs run through the emulator (Wine): they are asked for
# their tests when ctest runs, not at build time, so that building needs no Wine.
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
