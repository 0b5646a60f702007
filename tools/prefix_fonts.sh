#!/usr/bin/env bash
# Gives the Wine prefix in WINEPREFIX a CJK font (Debian's WenQuanYi Micro Hei), also under
# the face names the skins ask for, so that Chinese text renders in tests and screenshots.
set -euo pipefail
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
fonts="$WINEPREFIX/drive_c/windows/Fonts"
[ -f "$font" ] || { echo "missing $font (fonts-wqy-microhei)" >&2; exit 1; }
mkdir -p "$fonts"
cp -u "$font" "$fonts/"
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "Microsoft YaHei" "微软雅黑" "SimSun" "宋体"; do
  /usr/lib/wine/wine64 reg add "$key" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 </dev/null
done
