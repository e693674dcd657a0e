# Debian 12 packages the program builds and runs with (sourced by the other scripts).
KLIPO_BUILD_PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
libqt6svg6 libxkbcommon-dev libxcb1-dev libxcb-keysyms1-dev libxcb-xtest0-dev libxcb-xfixes0-dev libxcb-shm0-dev
libxcb-randr0-dev libx11-dev libxtst-dev libtesseract-dev libleptonica-dev tesseract-ocr-eng tesseract-ocr-chi-sim
tesseract-ocr-chi-tra tesseract-ocr-jpn tesseract-ocr-kor tesseract-ocr-script-latn tesseract-ocr-spa tesseract-ocr-fra
tesseract-ocr-deu fonts-wqy-microhei apertium apertium-eng-spa libcld2-dev
libzxing-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev libpulse-dev
libcanberra-dev sound-theme-freedesktop qt6-qpa-plugins libpng-dev zlib1g-dev qt6-image-formats-plugins
qt6-translations-l10n wordnet-base"
# Only for the tests: the headless desktop, the test frameworks, and the faces
# the generated screens are drawn in (without them they fall back to DejaVu and
# WenQuanYi and come out as other screens).
KLIPO_TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-utils wmctrl openbox trayer
dbus dbus-x11 pulseaudio pulseaudio-utils xclip imagemagick python3-tk fonts-dejavu-core fonts-liberation
fonts-noto-core fonts-hack fonts-noto-cjk xfwm4 xterm chromium"
