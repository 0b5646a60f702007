# Third-party libraries built from Debian's source packages (tools/deps.sh).
set(ZAN_SRC ${CMAKE_SOURCE_DIR}/third_party/src)
file(GLOB ZLIB_DIR LIST_DIRECTORIES true ${ZAN_SRC}/zlib-*)
file(GLOB PNG_DIR LIST_DIRECTORIES true ${ZAN_SRC}/libpng1.6-*)
file(GLOB GTEST_DIR LIST_DIRECTORIES true ${ZAN_SRC}/googletest-*)
list(FILTER ZLIB_DIR EXCLUDE REGEX "\\.(tar|dsc)")
list(FILTER PNG_DIR EXCLUDE REGEX "\\.(tar|dsc)")
list(FILTER GTEST_DIR EXCLUDE REGEX "\\.(tar|dsc)")
if(NOT ZLIB_DIR OR NOT PNG_DIR OR NOT GTEST_DIR)
  message(FATAL_ERROR "dependency sources missing: run tools/deps.sh")
endif()

set(ZLIB_SOURCES adler32 compress crc32 deflate gzclose gzlib gzread gzwrite
    infback inffast inflate inftrees trees uncompr zutil)
list(TRANSFORM ZLIB_SOURCES PREPEND ${ZLIB_DIR}/)
list(TRANSFORM ZLIB_SOURCES APPEND .c)
add_library(zlibstatic STATIC ${ZLIB_SOURCES})
target_include_directories(zlibstatic SYSTEM PUBLIC ${ZLIB_DIR})
target_compile_options(zlibstatic PRIVATE -w)

set(MZ ${ZLIB_DIR}/contrib/minizip)
add_library(minizip STATIC ${MZ}/unzip.c ${MZ}/ioapi.c ${MZ}/iowin32.c)
target_include_directories(minizip SYSTEM PUBLIC ${MZ})
target_compile_definitions(minizip PUBLIC NOUNCRYPT)
target_link_libraries(minizip PUBLIC zlibstatic)
target_compile_options(minizip PRIVATE -w)

set(PNG_CFG ${CMAKE_BINARY_DIR}/deps/png)
configure_file(${PNG_DIR}/scripts/pnglibconf.h.prebuilt ${PNG_CFG}/pnglibconf.h COPYONLY)
set(PNG_SOURCES png pngerror pngget pngmem pngpread pngread pngrio pngrtran
    pngrutil pngset pngtrans pngwio pngwrite pngwtran pngwutil)
list(TRANSFORM PNG_SOURCES PREPEND ${PNG_DIR}/)
list(TRANSFORM PNG_SOURCES APPEND .c)
add_library(pngstatic STATIC ${PNG_SOURCES})
target_include_directories(pngstatic SYSTEM PUBLIC ${PNG_DIR} ${PNG_CFG})
target_compile_definitions(pngstatic PRIVATE PNG_ARM_NEON_OPT=0 PNG_INTEL_SSE_OPT=0
    PNG_POWERPC_VSX_OPT=0 PNG_MIPS_MSA_OPT=0)
target_link_libraries(pngstatic PUBLIC zlibstatic)
target_compile_options(pngstatic PRIVATE -w)

if(ZAN_BUILD_TESTS)
  add_library(gtest STATIC ${GTEST_DIR}/googletest/src/gtest-all.cc)
  target_include_directories(gtest SYSTEM PUBLIC ${GTEST_DIR}/googletest/include
      PRIVATE ${GTEST_DIR}/googletest)
  target_compile_options(gtest PRIVATE -w)
  add_library(gtest_main STATIC ${GTEST_DIR}/googletest/src/gtest_main.cc)
  target_link_libraries(gtest_main PUBLIC gtest)
  target_compile_options(gtest_main PRIVATE -w)
endif()
