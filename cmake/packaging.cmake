# What a release holds, and the package that cpack makes of it:
#   cmake --build --preset windows --target package  ->  ConvergeOutLoader-<version>-win64.zip
#   cmake --build --preset default --target package  ->  ConvergeOutLoader-<version>-Linux.tar.gz
# The add-on library, how to install it, the licence and the third-party notices. The stand-in
# host and minihost are development tools and stay out.
include(GNUInstallDirs)
install(TARGETS convergeoutloader
        LIBRARY DESTINATION . COMPONENT addon
        RUNTIME DESTINATION . COMPONENT addon)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.md
        DESTINATION . COMPONENT addon)
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/install-windows.md DESTINATION . COMPONENT addon)
endif()

set(CPACK_PACKAGE_NAME ConvergeOutLoader)
set(CPACK_PACKAGE_VENDOR "Qorvian Inc.")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CONVERGE Output File Loader, an add-on for Qorvian")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_COMPONENTS_ALL addon)
set(CPACK_STRIP_FILES TRUE)  # debug information stays in the build folder
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ)
endif()
include(CPack)
