#!/usr/bin/env bash
# Sourced by the scripts that run the plug-in under Wine: lays out the plug-in's folders under the
# Windows profile, as the controller's installer leaves them (the plug-in never creates folders).
# Sets $product to the Korvexpad folder (a Unix path), emptied.
wine=${wine:-/usr/lib/wine/wine64}
profile_windows=$("$wine" cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
profile_unix=$("$wine" winepath -u "$profile_windows" 2>/dev/null | tr -d '\r')
profile_unix=${profile_unix%/}
if [ ! -d "$profile_unix" ]; then
  echo "no Windows profile folder for '$profile_windows'" >&2
  exit 1
fi
product="$profile_unix/Korvexpad"
rm -rf "$product"
mkdir -p "$product/Applications"
