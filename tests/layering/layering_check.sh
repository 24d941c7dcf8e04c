#!/bin/bash
# The layers depend in one direction, bottom to top:
#   base      (src/base: the result type, the one atomic file writer)      std only
#   seam      (src/platform/Platform.h: the desktop interface)             std, base/WebAddressParts.h
#   cipher    (src/cipher)                                                  base, OpenSSL
#   app       (src/app: app/files the data files, app/model the windows' rules)   base, cipher, the seam
#   desktop   (src/platform/qt: the Qt side of the seam), windows (src/ui), src/main.cpp
#             within the windows, the main window (src/ui/main) opens the login windows (src/ui/login), never
#             the other way round; the import preview (src/ui/import), which the program hands to the desktop,
#             includes neither
# Fails, naming the line, when an include crosses a layer the wrong way.
src="${1:?usage: layering_check.sh SRC_DIR}"
status=0

# forbid DIR_OR_FILES PATTERN WHY
forbid() {
    local files=$1 pattern=$2 why=$3 hits
    hits=$(grep -nHP "^\\s*#\\s*include\\s*[<\"]($pattern)" $files 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$why:"
        echo "$hits"
        status=1
    fi
}

core_files=$(find "$src/base" "$src/cipher" "$src/app" -type f)
qt='Q[A-Za-z]*[>"]|Qt[A-Za-z]*/'
# Of src/platform only Platform.h is the interface; src/platform/qt is the Qt side.
desktop='platform/(?!Platform\.h")'
forbid "$core_files" "$qt" "the core includes Qt"
forbid "$core_files" "ui/" "the core includes a window"
forbid "$core_files" "$desktop" "the core includes the Qt side of the seam"
forbid "$(find "$src/base" "$src/cipher" -type f)" "app/|platform/" "cipher or base includes app or the seam"
forbid "$(find "$src/base" -type f)" "cipher/" "base includes cipher"
# Within app the data files sit below the windows' rules.
forbid "$(find "$src/app/files" -type f) $src/app/AppState.h $src/app/AppState.cpp" "app/model/" "the data files include the model"
forbid "$src/platform/Platform.h" "cipher/|app/|ui/|base/(?!WebAddressParts\\.h\")" "the seam's interface includes a layer above it"
# Nothing below the windows includes them.
forbid "$(find "$src/platform" -type f)" "ui/" "the seam includes a window"
forbid "$(find "$src/ui/login" -type f)" "ui/main/" "a login window includes the main window"
forbid "$(find "$src/ui/import" -type f)" "ui/(main|login)/" "the import preview includes another window"
[ $status -eq 0 ] && echo "layers: one direction"
exit $status
