# Cairo draws the phase portraits (PNG). Included from engine/CMakeLists.txt
# after the engine library is declared.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
target_link_libraries(vindrel_engine PRIVATE PkgConfig::CAIRO)
