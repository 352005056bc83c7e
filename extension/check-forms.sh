#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Parses each built form of the extension with GJS, the engine GNOME Shell runs it in. Outside
# the shell its imports cannot resolve, so running stops there; a syntax error stops earlier and
# fails this check. Also fails when a form users get serves a program that root does not own
# (only the test build may), when a form lacks the service's interface or a handler for one of
# its methods, or when the window signature the extension sends is not the interface's.
# Exits 77 (a skip for CTest) without GJS.
#   check-forms.sh <extension build dir> <interface xml>
set -u
command -v gjs >/dev/null || { echo "SKIP: gjs is not installed"; exit 77; }
status=0
interface_xml="$2"
methods=$(grep -o '<method name="[A-Za-z]*"' "$interface_xml" | cut -d'"' -f2)
for form in shell43 shell45 test43 test45; do
  file="$1/$form/cuewell@cuewell.org/extension.js"
  [ -f "$file" ] || { echo "missing: $file"; status=1; continue; }
  if [[ "$form" != test* ]] && grep -q "rootOwned: false" "$file"; then
    echo "$form serves a program that root does not own"
    status=1
  fi
  if grep -q "@CUEWELL_SHELL_INTERFACE@" "$file" || ! grep -q '<interface name="org.cuewell.Shell1">' "$file"; then
    echo "$form lacks the service's interface"
    status=1
  fi
  for method in $methods; do
    grep -q "${method}Async(" "$file" || { echo "$form does not answer $method"; status=1; }
  done
  signature=$(grep -o "WINDOW_SIGNATURE = '[^']*'" "$file" | cut -d"'" -f2)
  if [ -z "$signature" ] || ! grep -qF "type=\"a$signature\"" "$interface_xml"; then
    echo "$form sends windows as '$signature', which is not the interface's"
    status=1
  fi
  mode=()
  [[ "$form" == *45 ]] && mode=(-m)
  output=$(gjs "${mode[@]}" "$file" 2>&1)
  if grep -q "SyntaxError\|Failed to parse" <<<"$output"; then
    echo "$form does not parse:"
    echo "$output"
    status=1
  else
    echo "$form parses"
  fi
done
exit $status
