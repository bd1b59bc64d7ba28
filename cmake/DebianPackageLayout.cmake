# Run by CPack over the files it has staged for the Debian package, before it packs
# them. Debian's zsh reads packages' completions from share/zsh/vendor-completions,
# not from share/zsh/site-functions, where `cmake --install` puts the completion for
# the zsh of other systems and of /usr/local.
set(zsh "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/zsh")
file(MAKE_DIRECTORY "${zsh}/vendor-completions")
file(RENAME "${zsh}/site-functions/_lettergate" "${zsh}/vendor-completions/_lettergate")
file(REMOVE_RECURSE "${zsh}/site-functions")
