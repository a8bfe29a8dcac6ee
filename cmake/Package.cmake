# Installing the framework (library, public headers, CMake package, pkg-config file) and the
# game, and packaging the game for Debian.
include(CMakePackageConfigHelpers)

set(KR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kr)
install(TARGETS kr EXPORT krTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/kr ${PROJECT_BINARY_DIR}/include/kr
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT krTargets NAMESPACE kr:: DESTINATION ${KR_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/krConfig.cmake.in
    ${PROJECT_BINARY_DIR}/krConfig.cmake INSTALL_DESTINATION ${KR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/krConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/krConfig.cmake ${PROJECT_BINARY_DIR}/krConfigVersion.cmake
        DESTINATION ${KR_CMAKE_DIR} COMPONENT dev)

# The pkg-config file finds its prefix from where it lies, so the prefix can move.
set(KR_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH KR_PC_PREFIX /prefix/${KR_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" KR_PC_PREFIX ${KR_PC_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/cmake/kr.pc.in ${PROJECT_BINARY_DIR}/kr.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kr.pc DESTINATION ${KR_PC_DIR} COMPONENT dev)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT game)

if(NOT KR_BUILD_GAME OR NOT PROJECT_IS_TOP_LEVEL)
    return()
endif()

# The Debian package (of KIRVA itself, not of a project that includes it) holds the game: kirva, kirva-replay, their data and documents.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT game)

set(CPACK_PACKAGE_NAME kirva)
set(CPACK_PACKAGE_VENDOR "The KIRVA developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The KIRVA developers <kirva@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person 3D maze game")
set(CPACK_PACKAGE_DESCRIPTION
    "A maze grows while you walk it, seen in first person, with a map of where you are.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened at run time, so the library scan cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfluidsynth3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont, fonts-ipafont-gothic")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
