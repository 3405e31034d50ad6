# The release archive VelumarDichte-<version>-win64.zip, made by `cpack` in a Windows build tree.
#
# Layout of the archive (no top-level folder; unpacked, the program is ready to start):
#   VelumarDichte.exe
#   Anleitung.md            docs/user-guide-de.md
#   Guide.md                docs/user-guide-en.md
#   LICENSE.txt             LICENSE
#   Beispiele/velu.ini      examples/, copied byte for byte (Windows-1252, CRLF)
#   Beispiele/default.ini
#   Beispiele/default-en.ini
#
# The samples stay in Beispiele/ so that the program starts with its built-in texts and
# materials until the user copies one of them beside the executable.
#
# Included once, after project(); works wherever the program target is defined, because the
# executable is named by a generator expression. Only Windows trees get an archive.
include_guard(GLOBAL)

if(NOT WIN32)
  return()
endif()

set(VELU_PACKAGE_ROOT "${CMAKE_CURRENT_LIST_DIR}/..")

# CMAKE_INSTALL_PREFIX is irrelevant to the archive; every path below is relative to its root.
install(PROGRAMS "$<TARGET_FILE:VelumarDichte>" DESTINATION . COMPONENT program)
install(FILES "${VELU_PACKAGE_ROOT}/docs/user-guide-de.md" DESTINATION . RENAME Anleitung.md
        COMPONENT program)
install(FILES "${VELU_PACKAGE_ROOT}/docs/user-guide-en.md" DESTINATION . RENAME Guide.md
        COMPONENT program)
install(FILES "${VELU_PACKAGE_ROOT}/LICENSE" DESTINATION . RENAME LICENSE.txt COMPONENT program)
install(FILES
          "${VELU_PACKAGE_ROOT}/examples/velu.ini"
          "${VELU_PACKAGE_ROOT}/examples/default.ini"
          "${VELU_PACKAGE_ROOT}/examples/default-en.ini"
        DESTINATION Beispiele COMPONENT program)

set(CPACK_GENERATOR "ZIP")
set(CPACK_PACKAGE_NAME "VelumarDichte")
set(CPACK_PACKAGE_VENDOR "Velumar")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velumar - Density: Dichte von Materialien in SolidWorks setzen und auslesen")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VERSION_MAJOR "${PROJECT_VERSION_MAJOR}")
set(CPACK_PACKAGE_VERSION_MINOR "${PROJECT_VERSION_MINOR}")
set(CPACK_PACKAGE_VERSION_PATCH "${PROJECT_VERSION_PATCH}")
set(CPACK_SYSTEM_NAME "win64")
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}")
set(CPACK_RESOURCE_FILE_LICENSE "${VELU_PACKAGE_ROOT}/LICENSE")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Only the files above: no headers or libraries of third-party code that might install.
set(CPACK_COMPONENTS_ALL program)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_SOURCE_GENERATOR "")

include(CPack)
