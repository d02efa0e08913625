#!/usr/bin/env bash
# Generates a small set of demo application bundles, for machines that have
# none (any Linux machine):
#   <dir>/<Name>.app/Contents/Info.plist
#   <dir>/<Name>.app/Contents/Resources/AppIcon.png
#   <dir>/<Name>.app/Contents/MacOS/<Name>   (a tiny shell program)
set -euo pipefail
dir=${1:?usage: make-demo-bundles.sh <directory>}
mkdir -p "$dir"

names=(Atlas Beacon Canvas Dune Ember Fjord Grove Harbor Iris Juniper Kestrel
       Lumen Meadow Nimbus Orbit Pebble Quartz Ripple Summit Tundra Umbra
       Vesper Willow Xenon Yarrow Zephyr)
colors=('#e74c3c' '#e67e22' '#f1c40f' '#2ecc71' '#1abc9c' '#3498db' '#9b59b6' '#34495e'
        '#16a085' '#27ae60' '#2980b9' '#8e44ad' '#c0392b' '#d35400' '#f39c12' '#7f8c8d')

i=0
for name in "${names[@]}"; do
  bundle="$dir/$name.app"
  mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/Resources"
  lower=$(echo "$name" | tr '[:upper:]' '[:lower:]')
  cat > "$bundle/Contents/Info.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleIdentifier</key>
	<string>org.tessellon.demo.$lower</string>
	<key>CFBundleName</key>
	<string>$name</string>
	<key>CFBundleExecutable</key>
	<string>$name</string>
	<key>CFBundleIconFile</key>
	<string>AppIcon.png</string>
	<key>CFBundlePackageType</key>
	<string>APPL</string>
</dict>
</plist>
PLIST
  cat > "$bundle/Contents/MacOS/$name" <<SH
#!/bin/sh
echo "$name demo application started"
SH
  chmod +x "$bundle/Contents/MacOS/$name"
  color=${colors[$((i % ${#colors[@]}))]}
  if command -v convert >/dev/null 2>&1; then
    convert -size 256x256 xc:none -fill "$color" \
      -draw "roundrectangle 16,16 240,240 48,48" \
      -fill "rgba(255,255,255,0.85)" -draw "circle 128,128 128,70" \
      "$bundle/Contents/Resources/AppIcon.png"
  fi
  i=$((i + 1))
done
echo "demo bundles: ${#names[@]} in $dir"
