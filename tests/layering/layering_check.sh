#!/bin/bash
# The layers depend in one direction, bottom to top:
#   base      (src/base: the result type, the one atomic file writer)      std only
#   seam      (src/platform/Platform.h: the desktop interface)             std only
#   cipher    (src/cipher)                                                  base, OpenSSL
#   app       (src/app)                                                     base, cipher, the seam
#   desktop   (the rest of src/platform: the Qt side of the seam), windows (src/ui), src/main.cpp
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

core_files="$src/base/* $src/cipher/* $src/app/*"
qt='Q[A-Za-z]*[>"]|Qt[A-Za-z]*/'
# Of src/platform only Platform.h is the interface; every other file there is the Qt side.
desktop='platform/(?!Platform\.h")'
forbid "$core_files" "$qt" "the core includes Qt"
forbid "$core_files" "ui/" "the core includes a window"
forbid "$core_files" "$desktop" "the core includes the Qt side of the seam"
forbid "$src/base/* $src/cipher/*" "app/|platform/" "cipher or base includes app or the seam"
forbid "$src/base/*" "cipher/" "base includes cipher"
forbid "$src/platform/Platform.h" "cipher/|app/|ui/|base/" "the seam's interface includes a layer above it"
# Nothing below the windows includes them.
forbid "$src/platform/*" "ui/" "the seam includes a window"
[ $status -eq 0 ] && echo "layers: one direction"
exit $status
