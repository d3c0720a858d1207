# Installing and packaging. `cmake --install` puts both programs in bin, the desktop program's
# read-only data (help and tutorial pages) in share/quillmarsh, where the program looks for it
# beside its own folder, and a desktop entry, the MIME type of project files (.qmp) and an icon
# where desktops look for them. `cpack -G DEB` makes a Debian package of the same files.

# The desktop program finds its data as ../share/quillmarsh from its own folder, so these two
# stay as they are whatever the platform's defaults.
set(QM_INSTALL_BINDIR bin)
set(QM_INSTALL_DATADIR share)

install(TARGETS quillmarsh-cli RUNTIME DESTINATION ${QM_INSTALL_BINDIR})
if(QM_BUILD_GUI)
    # quillmarsh-cli's font and picture module, found as ../lib/quillmarsh from the program's folder.
    install(TARGETS quillmarsh-cli-qt LIBRARY DESTINATION lib/quillmarsh)
endif()
if(QM_BUILD_GUI)
    # The desktop program and its data are installed by src/app/CMakeLists.txt.
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmarsh.desktop DESTINATION ${QM_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmarsh-mime.xml
            DESTINATION ${QM_INSTALL_DATADIR}/mime/packages RENAME quillmarsh.xml)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmarsh.svg
            DESTINATION ${QM_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME quillmarsh)
set(CPACK_PACKAGE_VENDOR "Quillmarsh")
set(CPACK_PACKAGE_CONTACT "Quillmarsh developers <quillmarsh@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pictures of C and C++ source code")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmarsh analyses C and C++ sources and draws the whole program as nested boxes, the flowchart of a function and the class diagram of a class. quillmarsh is the desktop program, quillmarsh-cli draws the same pictures into PNG, SVG and PDF files and prints the analysis as JSON.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The libraries the programs link come from dpkg-shlibdeps. Qt loads its platform plugins at run
# time (the window, and the offscreen platform that quillmarsh-cli draws on), and the diagrams
# ask for "Arial" and "Courier New", which the Liberation fonts stand in for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
