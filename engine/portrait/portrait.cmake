# Cairo draws the phase portraits (PNG). Only its header is used at build
# time: the library is opened when a PNG is drawn (see cairo_api.h), so the
# tools do not load it at every start. Included from engine/CMakeLists.txt
# after the engine library is declared.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED cairo)
target_include_directories(vindrel_engine SYSTEM PUBLIC ${CAIRO_INCLUDE_DIRS})
target_link_libraries(vindrel_engine PUBLIC ${CMAKE_DL_LIBS})
