# The Debian package (bash scripts/package.sh): orvanix_<version>_amd64.deb with what
# `cmake --install` puts under /usr. The shared libraries it needs are found by
# dpkg-shlibdeps from the programs themselves, so the Depends line follows what is linked.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvanix")
set(CPACK_PACKAGE_CONTACT "${ORVANIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVANIX_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FFT spectrum analyzer for audio, acoustic and vibration work")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvanix analyses a sound card's input, a wave file or its own signal generator
and shows time series, magnitude and phase spectra, spectrograms and 3-D
waterfalls, with distortion, noise and level measurements in calibrated
engineering units. It runs as a desktop program or headless for batch work
and automation (tessiva --headless).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, but needed: the windowing-system plugins of Qt (the window cannot open
# without them). xdg-utils opens the user guide and the data log in the desktop's viewer.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pavucontrol, python3")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Only the package's own files: the test and benchmark programs have no install rules.
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
