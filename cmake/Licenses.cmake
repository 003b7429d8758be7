# SPDX-License-Identifier: MIT
# The license texts a download carries beside its program: the project's own
# (LICENSE.txt) and one text per part built into it (licenses/NAME.txt from
# packaging/licenses/, each saying first what it covers).
#
#   pelmic_install_licenses(. ${PELMIC_BUILT_IN_LICENSES} gcc-runtime mingw-w64)

# What every program carries: the font and its rasteriser.
set(PELMIC_BUILT_IN_LICENSES dejavu stb)

function(pelmic_install_licenses destination)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${destination} RENAME LICENSE.txt)
  list(TRANSFORM ARGN REPLACE "^(.+)$" "${PROJECT_SOURCE_DIR}/packaging/licenses/\\1.txt" OUTPUT_VARIABLE texts)
  install(FILES ${texts} DESTINATION ${destination}/licenses)
endfunction()
