# Read by cpack once per generator.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX "/usr/lib/quillory")
    set(CPACK_COMPONENTS_ALL Unspecified system)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
    set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # Beside the libraries found from the binary: the Qt platform plugins, the German
    # standard dialogs, the dialog font, and the packer adapters' Info-ZIP tools.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core, zip, unzip")
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillory.example.org/")
else()
    set(CPACK_COMPONENTS_ALL Unspecified)
endif()
