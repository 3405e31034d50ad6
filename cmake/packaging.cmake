# The release layout of VelumarDichte, as install rules of the component "program".
# scripts/package installs it into a folder and makes the zip and the MSI from that folder:
#
#   VelumarDichte.exe
#   velu.ini                examples/velu.ini: the sample catalogue, so the first start lists it
#   default.ini             examples/default.ini: the German texts (the MSI puts the English
#                           ones here instead where Windows speaks another language)
#   Anleitung.html          docs/user-guide-de.md rendered as a page (target "guides")
#   Guide.html              docs/user-guide-en.md rendered as a page
#   Bilder/*.png            the screenshots the pages show
#   LICENSE.txt             LICENSE
#   Beispiele/velu.ini      examples/, copied byte for byte (Windows-1252, CRLF)
#   Beispiele/default.ini
#   Beispiele/default-en.ini
#
# The samples are in Beispiele/ as well, to start again from or to switch the language with;
# the velu.ini and default.ini beside the program are the user's once they are there: the MSI
# never replaces nor removes them (packaging/VelumarDichte.wxs).
#
# The component "setup" is the MSI's custom action (packaging/interface_language.cpp), which
# goes into the package but not into the release folder.
#
# The pages are made by packaging/release.py with Python's markdown_it module (CommonMark
# with tables; Debian's python3-markdown-it; VELU_PYTHON names the interpreter). The target
# "guides" is not part of the default build: build it before installing, as scripts/package
# does.
#
# Included once, after project(); works wherever the program target is defined, because the
# executable is named by a generator expression. Only Windows trees have a release layout.
include_guard(GLOBAL)

if(NOT WIN32)
  return()
endif()

set(VELU_PACKAGE_ROOT "${CMAKE_CURRENT_LIST_DIR}/..")
set(VELU_PYTHON "python3" CACHE STRING "Python 3 with the markdown_it module, for the user guides")

set(velu_guides_dir "${CMAKE_BINARY_DIR}/guides")
set(velu_pictures
    "${VELU_PACKAGE_ROOT}/docs/screenshot-main.png"
    "${VELU_PACKAGE_ROOT}/docs/screenshot-success.png"
    "${VELU_PACKAGE_ROOT}/docs/demo-material.png"
    "${VELU_PACKAGE_ROOT}/docs/assembly.png"
    "${VELU_PACKAGE_ROOT}/docs/assembly-undo.png")
set(velu_guides)
foreach(guide IN ITEMS "de;user-guide-de.md;Anleitung.html" "en;user-guide-en.md;Guide.html")
  list(GET guide 0 lang)
  list(GET guide 1 source)
  list(GET guide 2 page)
  add_custom_command(
    OUTPUT "${velu_guides_dir}/${page}"
    COMMAND "${VELU_PYTHON}" "${VELU_PACKAGE_ROOT}/packaging/release.py" guide
            "${VELU_PACKAGE_ROOT}/docs/${source}" "${velu_guides_dir}/${page}"
            --lang ${lang} --pictures Bilder --version ${PROJECT_VERSION}
    DEPENDS "${VELU_PACKAGE_ROOT}/docs/${source}" "${VELU_PACKAGE_ROOT}/packaging/release.py"
            "${VELU_PACKAGE_ROOT}/packaging/guide.html" ${velu_pictures}
    COMMENT "Rendering docs/${source} as ${page}"
    VERBATIM)
  list(APPEND velu_guides "${velu_guides_dir}/${page}")
endforeach()
add_custom_target(guides DEPENDS ${velu_guides})

# CMAKE_INSTALL_PREFIX is irrelevant to the release; every path below is relative to its root.
install(PROGRAMS "$<TARGET_FILE:VelumarDichte>" DESTINATION . COMPONENT program)
install(FILES ${velu_guides} DESTINATION . COMPONENT program)
install(FILES ${velu_pictures} DESTINATION Bilder COMPONENT program)
install(FILES "${VELU_PACKAGE_ROOT}/LICENSE" DESTINATION . RENAME LICENSE.txt COMPONENT program)
install(FILES
          "${VELU_PACKAGE_ROOT}/examples/velu.ini"
          "${VELU_PACKAGE_ROOT}/examples/default.ini"
          "${VELU_PACKAGE_ROOT}/examples/default-en.ini"
        DESTINATION Beispiele COMPONENT program)
install(FILES
          "${VELU_PACKAGE_ROOT}/examples/velu.ini"
          "${VELU_PACKAGE_ROOT}/examples/default.ini"
        DESTINATION . COMPONENT program)
install(FILES "$<TARGET_FILE:velu_setup>" DESTINATION . COMPONENT setup)
