# `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr makes the Debian package.
install(TARGETS coffernote RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME coffernote)
set(CPACK_PACKAGE_VENDOR "Coffernote maintainers")
set(CPACK_PACKAGE_CONTACT "Coffernote maintainers <maintainers@coffernote.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Single-user password keeper for the desktop")
# Lines of the extended description stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Coffernote keeps your accounts (name, website, notes, user ID and password)
in an encrypted file, finds them by name as you type, opens their websites
and lets you drag or copy a field into another window. An optional login and
an idle lock guard the running program.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named by hand rather than by dpkg-shlibdeps: the build needs no dpkg-dev, and qt6-qpa-plugins (platform
# plugins loaded at run time) is one no library scan would find.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, libssl3 (>= 3.0), libsodium23 (>= 1.0.18), \
libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), qt6-qpa-plugins (>= 6.4)")
# Qt's platform plugin for Wayland desktops; without it the program runs there only through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
