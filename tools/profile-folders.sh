#!/usr/bin/env bash
# Sourced by the scripts that run the plug-in under Wine: lays out the plug-in's folders under the
# Windows profile, as the controller's installer leaves them (the plug-in never creates folders).
# Sets $product to the Korvexpad folder (a Unix path), emptied. Being sourced, it never exits: on
# failure it says what failed and returns non-zero, and the caller decides.
wine=${wine:-${KX_WINE:?run inside tools/wine-harness.sh}}

# A Wine that is still busy starting (or has just failed to) answers nothing; asking again a few
# seconds later usually works, so one failed start does not fail a whole run.
lay_out_profile_folders() {
  local try
  profile_windows=""
  profile_unix=""
  for try in 1 2 3; do
    profile_windows=$("$wine" cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r') || profile_windows=""
    if [ -n "$profile_windows" ]; then
      profile_unix=$("$wine" winepath -u "$profile_windows" 2>/dev/null | tr -d '\r') || profile_unix=""
      profile_unix=${profile_unix%/}
      [ -n "$profile_unix" ] && [ -d "$profile_unix" ] && break
    fi
    echo "profile-folders: Wine gave no profile folder (try $try of 3: '$profile_windows')" >&2
    [ "$try" -lt 3 ] && sleep 3
  done
  if [ -z "$profile_unix" ] || [ ! -d "$profile_unix" ]; then
    echo "profile-folders: no Windows profile folder after 3 tries; is Wine's prefix usable?" >&2
    return 1
  fi
  product="$profile_unix/Korvexpad"
  if ! { rm -rf "$product" && mkdir -p "$product/Applications"; }; then
    echo "profile-folders: cannot lay out $product" >&2
    return 1
  fi
}
lay_out_profile_folders
