# The Debian package: `cpack -G DEB` in a build folder writes
# frostpane_<version>_<arch>.deb with whatever the install rules install, i.e.
# the game and its desktop files; tests, tools and static libraries have no
# install rules and stay out.
set(FROSTPANE_PACKAGE_MAINTAINER "The Frostpane developers <frostpane@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package: the name and address of whoever builds it")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME frostpane)
set(CPACK_PACKAGE_VENDOR "The Frostpane developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wave at the webcam to wipe the ice off a photograph")
set(CPACK_PACKAGE_DESCRIPTION [=[
A game for small children who cannot use a mouse or a keyboard yet. The
window shows a photograph covered by ice. The child waves a hand in the air
in front of the web camera, and wherever the camera sees movement the ice is
wiped away; everywhere else it slowly grows back. When the window is clean a
banner says Congratulations!]=])
set(CPACK_PACKAGE_INSTALL_DIRECTORY frostpane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FROSTPANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/frostpane/frostpane)
# The libraries come from dpkg-shlibdeps; GStreamer's plugins are loaded at
# run time, so no tool can see them: without plugins-base no camera frame ever
# arrives, and plugins-good holds the webcam source and the JPEG decoder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS gstreamer1.0-plugins-base)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS gstreamer1.0-plugins-good)

include(CPack)
