#!/usr/bin/env bash
# The program's main job on this machine: builds everything, starts the local
# stand-in verification service and a virtual CP210x scanner on COM5, runs the
# program under Wine (under a private Xvfb when there is no display) pointed
# at that service, scans three packs in Decommission mode, switches to Verify
# and scans a pack already supplied and one the service does not know (two
# alerts with their product pop-ups), saves screenshots of the main window and
# of the pop-up, shows what happened, and ends everything it started.
# It starts the program as on a first start, with no account: the settings
# sheet opens by itself, is photographed, and the demo account is typed into
# it and saved. The stand-in also offers a newer version: the release notes
# open five seconds after the start and the update button flashes
# "&Update NOW!" (both photographed); the scanner test checks a clean and a
# mangled scan (photographed); at the end the button is pressed and the
# signed 1.190417 installer that the stand-in serves, with the maker's signed
# offer, is checked and started. Before that it checks a delivery (a good pack,
# a recalled one, a short-dated one, the good one again: photographed, its
# report written) and writes the activity report from the command line
# (rendered). Before that the History window shows every
# outcome kept (photographed). Before that it turns the hold of misread scans
# and the double-scan guard on in the Counter safety sheet (photographed),
# scans a pack with a broken check digit (held, photographed, then "Do not
# send"), an expired pack (held, photographed, then "Do not send") and the
# same pack twice in Decommission mode (one request).
# PELLWICK_LANGUAGE=de (fr, nl, it, es) runs it in that language (the registry value
# Language), finding its windows by their translated titles;
# PELLWICK_DPI=144 runs it as on a screen of 144 dots per inch (default 96);
# XVFB_SCREEN gives the private screen another size (e.g. 1920x1080x24).
# Usage: tools/run.sh [main-window.png [pop-up.png]]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
SHOT="${1:-$ROOT/shots/main-window.png}"
POPUP_SHOT="${2:-$(dirname "$SHOT")/product-popup.png}"
SETTINGS_SHOT="$(dirname "$SHOT")/settings.png"
VERSION="$(sed -n 's/^#define PELLWICK_VERSION "\(.*\)"$/\1/p' "$ROOT/res/version.h")"
TITLE="QuorvixFMD Pellwick Version $VERSION"
DPI="${PELLWICK_DPI:-96}"
LANGUAGE_CODE="${PELLWICK_LANGUAGE:-en}"
# The windows' titles in the demo's language (as X shows them, in UTF-8).
case "$LANGUAGE_CODE" in
  de) SETTINGS_T="Einstellungen" DECOMMISSION_POPUP="Scan im Modus Ausbuchen" VERIFY_POPUP="Scan im Modus Verifizieren"
      TEST_TITLE="Scannertest" ABOUT_TITLE="Über QuorvixFMD Pellwick" SAFETY_TITLE="Sicherheit am HV-Tisch"
      HISTORY_TITLE="Scan-Verlauf" CASE_TITLE="Alarmfall" HELD_CAPTION="Scan zurückgehalten"
      DELIVERY_TITLE="Lieferung prüfen" ACTIVITY_TITLE="Tätigkeitsbericht" ;;
  fr) SETTINGS_T="Paramètres" DECOMMISSION_POPUP="Résultat en mode Désactiver" VERIFY_POPUP="Résultat en mode Vérifier"
      TEST_TITLE="Test du scanner" ABOUT_TITLE="À propos de QuorvixFMD Pellwick" SAFETY_TITLE="Sécurité au comptoir"
      HISTORY_TITLE="Historique des scans" CASE_TITLE="Dossier d'alerte" HELD_CAPTION="Scan retenu"
      DELIVERY_TITLE="Contrôler une livraison" ACTIVITY_TITLE="Rapport d'activité" ;;
  nl) SETTINGS_T="Instellingen" DECOMMISSION_POPUP="Resultaat in modus Afmelden" VERIFY_POPUP="Resultaat in modus Verifiëren"
      TEST_TITLE="Scannertest" ABOUT_TITLE="Over QuorvixFMD Pellwick" SAFETY_TITLE="Veiligheid aan de balie"
      HISTORY_TITLE="Scangeschiedenis" CASE_TITLE="Alertdossier" HELD_CAPTION="Scan tegengehouden"
      DELIVERY_TITLE="Levering controleren" ACTIVITY_TITLE="Activiteitenrapport" ;;
  it) SETTINGS_T="Impostazioni" DECOMMISSION_POPUP="Esito in modalità Disattiva" VERIFY_POPUP="Esito in modalità Verifica"
      TEST_TITLE="Test dello scanner" ABOUT_TITLE="Informazioni su QuorvixFMD Pellwick" SAFETY_TITLE="Sicurezza al banco"
      HISTORY_TITLE="Cronologia scansioni" CASE_TITLE="Caso di allerta" HELD_CAPTION="Scansione trattenuta"
      DELIVERY_TITLE="Controlla una consegna" ACTIVITY_TITLE="Rapporto di attività" ;;
  es) SETTINGS_T="Configuración" DECOMMISSION_POPUP="Resultado en modo Desactivar" VERIFY_POPUP="Resultado en modo Verificar"
      TEST_TITLE="Prueba del escáner" ABOUT_TITLE="Acerca de QuorvixFMD Pellwick" SAFETY_TITLE="Seguridad en el mostrador"
      HISTORY_TITLE="Historial de escaneos" CASE_TITLE="Caso de alerta" HELD_CAPTION="Escaneo retenido"
      DELIVERY_TITLE="Comprobar una entrega" ACTIVITY_TITLE="Informe de actividad" ;;
  *) SETTINGS_T="Settings" DECOMMISSION_POPUP="Product Decommission result" VERIFY_POPUP="Product Verify result"
     TEST_TITLE="Scanner test" ABOUT_TITLE="About QuorvixFMD Pellwick" SAFETY_TITLE="Counter safety"
     HISTORY_TITLE="Scan history" CASE_TITLE="Alert case" HELD_CAPTION="Scan held"
     DELIVERY_TITLE="Check a delivery" ACTIVITY_TITLE="Activity report" ;;
esac
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

"$ROOT/tools/bootstrap.sh"
cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD/native" --target fmd_standin
"$ROOT/tools/build-windows.sh" "$BUILD/win"

source "$ROOT/tools/xvfb.sh"
start_xvfb
export WINEPREFIX="$BUILD/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DEMO="$(mktemp -d /tmp/pellwick-demo-XXXXXX)"
STANDIN_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  "$ROOT/tools/scanner-sim.sh" detach "$WINEPREFIX" "$DEMO" 5 >/dev/null 2>&1 || true
  [ -n "$STANDIN_PID" ] && kill "$STANDIN_PID" 2>/dev/null || true
  rm -rf "$DEMO"
  stop_xvfb
}
trap cleanup EXIT

echo "run: starting the stand-in verification service and update server"
mkdir -p "$DEMO/update"
printf '1.190417\nQuorvixFMD Pellwick 1.190417\nFaster start-up, and clearer messages for packs that need attention.' \
  >"$DEMO/update/check.txt"
NEXT_SETUP="$BUILD/win/bin/package-next/PellwickSetup-1.190417.exe"
if [ -f "$NEXT_SETUP.offer" ]; then  # a build with a key of its own signs the newer installer
  cp "$NEXT_SETUP" "$DEMO/update/update.exe"
  cp "$NEXT_SETUP.sig" "$DEMO/update/update.exe.sig"
  cp "$NEXT_SETUP.offer" "$DEMO/update/check.txt.sig2"
fi
"$BUILD/native/fmd_standin" --account PHARM01:s3cret --packs "$ROOT/tools/fmd_standin/packs.json" \
  --port-file "$DEMO/port" --update-dir "$DEMO/update" --time-limit 600 >"$DEMO/standin.log" 2>&1 &
STANDIN_PID=$!
for _ in $(seq 1 200); do [ -s "$DEMO/port" ] && break; sleep 0.05; done
PORT="$(cat "$DEMO/port")"

echo "run: preparing the Wine prefix (no account yet, service address, virtual scanner on COM5)"
wineserver -k >/dev/null 2>&1 || true
"$ROOT/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The screen's dots per inch, read by each program as it starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1
wine reg add 'HKEY_CURRENT_CONFIG\Software\Fonts' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
KEY='HKCU\SOFTWARE\Tembrel Pharmaceutical Suppliers\QuorvixFMD Pellwick'
wine reg delete "$KEY" /f >/dev/null 2>&1 || true
wine reg add "$KEY" /v ServiceHost /d "127.0.0.1:$PORT" /f >/dev/null 2>&1
wine reg add "$KEY" /v UpdateHost /d "127.0.0.1:$PORT" /f >/dev/null 2>&1
# The stand-in speaks TLS with a certificate of the build's test authority,
# which this prefix trusts as a pharmacy's IT would a private service's.
"$ROOT/tools/trust-test-ca.sh" "$WINEPREFIX" "$BUILD/native/test-ca.pem" "$BUILD/win/bin/trust_ca.exe"
# Scans are kept through the outage at the end.
wine reg add "$KEY" /v KeepScansDuringOutage /d 1 /f >/dev/null 2>&1
# Every pop-up ends with what to do.
wine reg add "$KEY" /v ExplainAnswers /d 1 /f >/dev/null 2>&1
[ "$LANGUAGE_CODE" = en ] || wine reg add "$KEY" /v Language /d "$LANGUAGE_CODE" /f >/dev/null 2>&1
"$ROOT/tools/scanner-sim.sh" attach "$WINEPREFIX" "$DEMO" 5 Silabser0 >/dev/null
APPDATA_DIR="$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*AppData/Roaming' | head -n1)"
LOG="$APPDATA_DIR/QuorvixFMD Pellwick/Logs/trace-1.txt"
rm -rf "$APPDATA_DIR/QuorvixFMD Pellwick"

# A window's picture, cut from the screen (the X server keeps no picture of
# a window that another one covers).
shoot() {
  local id geometry
  id=$(xwininfo -root -tree | grep "\"$1\"" | head -n1 | awk '{print $1}')
  [ -n "$id" ] || return 1
  geometry=$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print w "x" h "+" x "+" y}')
  import -window root -crop "$geometry" +repage "$2" 2>/dev/null
}
# A page rendered as a browser shows it, with Debian's Chromium (the demo's
# only use of it, so it is installed here rather than for the tests).
render_page() {
  if ! command -v chromium >/dev/null; then
    echo "run: installing Debian's chromium to render the pages"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends chromium >/dev/null
  fi
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
    --no-first-run --user-data-dir="$(mktemp -d)" --window-size="$3" --hide-scrollbars \
    --screenshot="$2" "file://$(realpath "$1")" >/dev/null 2>&1
}
echo "run: starting the program"
wine "$BUILD/win/bin/Pellwick.exe" >/dev/null 2>&1 &
for _ in $(seq 1 600); do
  xwininfo -root -tree 2>/dev/null | grep -q "\"$TITLE\"" && break
  sleep 0.1
done
xwininfo -root -tree | grep -q "\"$TITLE\"" || { echo "run: the main window did not appear" >&2; exit 1; }
for _ in $(seq 1 100); do grep -q "COM5 - running" "$LOG" 2>/dev/null && break; sleep 0.1; done

echo "run: first start: the settings sheet opens; typing the demo account into it"
for _ in $(seq 1 100); do xwininfo -root -tree | grep -q "\"$SETTINGS_T\"" && break; sleep 0.1; done
sleep 1  # the sheet paints
mkdir -p "$(dirname "$SETTINGS_SHOT")"
shoot "$SETTINGS_T" "$SETTINGS_SHOT" && echo "run: settings sheet saved to $SETTINGS_SHOT"
USERNAME_EDIT=1020 PASSWORD_EDIT=1021 SAVE_BUTTON=1
wine "$BUILD/win/bin/post_command.exe" "$SETTINGS_T" "$USERNAME_EDIT" PHARM01 >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "$SETTINGS_T" "$PASSWORD_EDIT" s3cret >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "$SETTINGS_T" "$SAVE_BUTTON" >/dev/null 2>&1
# The credentials check waits for the service: slow on a busy machine.
for _ in $(seq 1 300); do xwininfo -root -tree | grep -q "\"$SETTINGS_T\"" || break; sleep 0.1; done
if xwininfo -root -tree | grep -q "\"$SETTINGS_T\""; then echo "run: the settings sheet did not accept the account" >&2; exit 1; fi

echo "run: the update check finds 1.190417: its release notes"
NOTES_TITLE="QuorvixFMD Pellwick 1.190417 - $TITLE" BOX_OK=1049
for _ in $(seq 1 150); do xwininfo -root -tree | grep -q "\"$NOTES_TITLE\"" && break; sleep 0.1; done
sleep 1  # painted
shoot "$NOTES_TITLE" "$(dirname "$SETTINGS_SHOT")/release-notes.png" &&
  echo "run: release notes saved to $(dirname "$SETTINGS_SHOT")/release-notes.png"
wine "$BUILD/win/bin/post_command.exe" "$NOTES_TITLE" "$BOX_OK" >/dev/null 2>&1

echo "run: scanning three packs on COM5 (Decommission mode)"
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 \
  '0104150123456782172912311''0LOT24A\x1d21DEMO0001' \
  '0104150123456782172912311''0LOT24A\x1d21DEMO0004' \
  '0104150123456799\x1d21RECALL01'
# Closes every pop-up with this title through its Close button (1041).
close_popups() {
  for _ in $(seq 1 20); do
    xwininfo -root -tree | grep -q "\"$1\"" || return 0
    wine "$BUILD/win/bin/post_command.exe" "$1" 1041 >/dev/null 2>&1
    sleep 0.3
  done
}
wait_for_exchanges() {
  for _ in $(seq 1 300); do
    [ "$(grep -c 'FMD - Deleting "[0-9]*.dat"' "$LOG" 2>/dev/null)" -ge "$1" ] && break
    sleep 0.1
  done
  sleep 1  # the pop-ups open and paint
}
wait_for_exchanges 3
shoot "$DECOMMISSION_POPUP" "$(dirname "$SHOT")/popup-explained.png" &&
  echo "run: a pop-up with What to do saved to $(dirname "$SHOT")/popup-explained.png"
echo "run: closing the two alerts of Decommission mode (a pack already supplied, a recalled batch)"
close_popups "$DECOMMISSION_POPUP"

echo "run: switching to Verify mode and scanning a supplied pack and an unknown one"
VERIFY_BUTTON=1043
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$VERIFY_BUTTON" >/dev/null 2>&1
for _ in $(seq 1 50); do grep -q ") Verify Mode On" "$LOG" 2>/dev/null && break; sleep 0.1; done
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21DEMO0001'
wait_for_exchanges 4
mkdir -p "$(dirname "$SHOT")" "$(dirname "$POPUP_SHOT")"
if shoot "$VERIFY_POPUP" "$POPUP_SHOT"; then
  echo "run: product pop-up saved to $POPUP_SHOT"
else
  echo "run: no product pop-up appeared" >&2
fi
close_popups "$VERIFY_POPUP"
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21NOTKNOWN'
wait_for_exchanges 5
close_popups "$VERIFY_POPUP"
sleep 1
shoot "$TITLE" "$SHOT" || import -window root "$SHOT"
echo "run: main window saved to $SHOT"
echo "run: the scanner test: a clean scan, then one from a scanner with Caps Lock, an identifier and no separator"
SCANNER_TEST_ENTRY=2209
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$SCANNER_TEST_ENTRY" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$TEST_TITLE\"" && break; sleep 0.1; done
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 "$(/usr/bin/python3 "$ROOT/tools/make-scanner-test-codes.py" --print gs1)"
for _ in $(seq 1 100); do [ "$(grep -c ') Scanner test: scan' "$LOG")" -ge 1 ] && break; sleep 0.1; done
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 ']d20104150123456782172812311''0bA7yZ-9/Y21sZ4y.Q+z8X'
for _ in $(seq 1 100); do [ "$(grep -c ') Scanner test: scan' "$LOG")" -ge 2 ] && break; sleep 0.1; done
sleep 1  # the verdict paints
shoot "$TEST_TITLE" "$(dirname "$SHOT")/scanner-test.png" && echo "run: scanner test saved to $(dirname "$SHOT")/scanner-test.png"
wine "$BUILD/win/bin/post_command.exe" "$TEST_TITLE" 1 >/dev/null 2>&1
CONTACT_BUTTON=1001 OK_BUTTON=1
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$CONTACT_BUTTON" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$ABOUT_TITLE\"" && break; sleep 0.1; done
sleep 1
shoot "$ABOUT_TITLE" "$(dirname "$SHOT")/about.png" && echo "run: About box saved to $(dirname "$SHOT")/about.png"
wine "$BUILD/win/bin/post_command.exe" "$ABOUT_TITLE" "$OK_BUTTON" >/dev/null 2>&1
echo "run: the service goes down for 20 s; two packs scanned meanwhile wait"
curl -s -X POST --data '{"outage":"refuse","outage_ms":20000}' "http://127.0.0.1:$PORT/control" >/dev/null
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21DEMO0002'
for _ in $(seq 1 100); do grep -q 'waits for the service' "$LOG" 2>/dev/null && break; sleep 0.1; done
sleep 0.5
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21DEMO0003'
for _ in $(seq 1 100); do [ "$(grep -c 'waits for the service\|Queued' "$LOG")" -ge 1 ] && break; sleep 0.1; done
sleep 2
close_popups "$VERIFY_POPUP"
sleep 1
shoot "$TITLE" "$(dirname "$SHOT")/outage-waiting.png" && echo "run: waiting rows saved to $(dirname "$SHOT")/outage-waiting.png"
for _ in $(seq 1 400); do grep -q 'the service answers again' "$LOG" 2>/dev/null && break; sleep 0.1; done
grep -q 'the service answers again' "$LOG" || echo "run: the waiting scans were not sent" >&2

echo "run: Counter safety (tray menu): holding misread scans and the double-scan guard turned on"
TRAY_SAFETY=2101 HOLD_SWITCH=2130 GUARD_SWITCH=2131
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$TRAY_SAFETY" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$SAFETY_TITLE\"" && break; sleep 0.1; done
wine "$BUILD/win/bin/post_command.exe" "$SAFETY_TITLE" "$HOLD_SWITCH" >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "$SAFETY_TITLE" "$GUARD_SWITCH" >/dev/null 2>&1
for _ in $(seq 1 50); do grep -q 'GuardDoubleScans set to 1' "$LOG" 2>/dev/null && break; sleep 0.1; done
sleep 1  # painted
shoot "$SAFETY_TITLE" "$(dirname "$SHOT")/counter-safety.png" &&
  echo "run: Counter safety sheet saved to $(dirname "$SHOT")/counter-safety.png"
wine "$BUILD/win/bin/post_command.exe" "$SAFETY_TITLE" 1 >/dev/null 2>&1
DECOMMISSION_BUTTON=1045
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$DECOMMISSION_BUTTON" >/dev/null 2>&1
for _ in $(seq 1 50); do [ "$(grep -c ') Decommission Mode On' "$LOG")" -ge 2 ] && break; sleep 0.1; done
echo "run: a pack whose check digit is broken is held, then Do not send"
HELD_TITLE="$HELD_CAPTION - $TITLE" DO_NOT_SEND=1050
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456783172912311''0LOT24A\x1d21DEMO0002'
for _ in $(seq 1 100); do xwininfo -root -tree | grep -q "\"$HELD_TITLE\"" && break; sleep 0.1; done
sleep 1  # painted
shoot "$TITLE" "$(dirname "$SHOT")/held.png" && echo "run: held scan saved to $(dirname "$SHOT")/held.png"
wine "$BUILD/win/bin/post_command.exe" "$HELD_TITLE" "$DO_NOT_SEND" >/dev/null 2>&1
for _ in $(seq 1 50); do grep -q 'Do not send' "$LOG" 2>/dev/null && break; sleep 0.1; done
echo "run: a pack that expired in June 2019 is held as well, then Do not send"
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$HELD_TITLE\"" || break; sleep 0.1; done
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456799171906301''0LOT19X\x1d21OLD00001'
for _ in $(seq 1 100); do xwininfo -root -tree | grep -q "\"$HELD_TITLE\"" && break; sleep 0.1; done
sleep 1  # painted
shoot "$TITLE" "$(dirname "$SHOT")/held-expired.png" &&
  echo "run: held expired pack saved to $(dirname "$SHOT")/held-expired.png"
wine "$BUILD/win/bin/post_command.exe" "$HELD_TITLE" "$DO_NOT_SEND" >/dev/null 2>&1
for _ in $(seq 1 50); do [ "$(grep -c 'Do not send' "$LOG")" -ge 2 ] && break; sleep 0.1; done
echo "run: the same pack scanned twice in Decommission mode: one request"
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21DEMO0003'
for _ in $(seq 1 300); do grep -q 'Barcode = .*DEMO0003' "$LOG" 2>/dev/null && break; sleep 0.1; done
sleep 1
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21DEMO0003'
for _ in $(seq 1 100); do grep -q 'not sent again' "$LOG" 2>/dev/null && break; sleep 0.1; done
grep -q 'not sent again' "$LOG" || echo "run: the second scan of the pack was not stopped" >&2
echo "run: decommission requests for DEMO0003 at the stand-in: $(grep -c 'Decommission.*DEMO0003' "$DEMO/standin.log" || true)"
echo "run: a supplied pack decommissioned again: an alert with its alert ID"
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 '0104150123456782172912311''0LOT24A\x1d21DEMO0004'
for _ in $(seq 1 100); do xwininfo -root -tree | grep -q "\"$DECOMMISSION_POPUP\"" && break; sleep 0.1; done
sleep 1
close_popups "$DECOMMISSION_POPUP"
echo "run: the History window (tray menu): every outcome kept, the alerts and the packs that can be undone"
TRAY_HISTORY=2301
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$TRAY_HISTORY" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$HISTORY_TITLE\"" && break; sleep 0.1; done
sleep 1  # painted
shoot "$HISTORY_TITLE" "$(dirname "$SHOT")/history.png" && echo "run: History window saved to $(dirname "$SHOT")/history.png"
echo "run: the Alerts view: the newest alert gets its case, a photo and a case sheet"
ALERTS_VIEW=2312 CASE_BUTTON=2329 CASE_STATE=2349 RECORD_STATE=2350 CASE_NOTE=2352
SAVE_NOTE=2353 ADD_PHOTO=2358 CASE_SHEET=2359 FILE_NAME=1148
wine "$BUILD/win/bin/post_command.exe" "$HISTORY_TITLE" "$ALERTS_VIEW" >/dev/null 2>&1
sleep 1
wine "$BUILD/win/bin/post_command.exe" "$HISTORY_TITLE" "$CASE_BUTTON" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$CASE_TITLE\"" && break; sleep 0.1; done
wine "$BUILD/win/bin/post_command.exe" "$CASE_TITLE" "$CASE_NOTE" "Print matches the scan. Maker asked to check." >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "$CASE_TITLE" "$SAVE_NOTE" >/dev/null 2>&1
# A stand-in for a photo of the pack: its box and a code square.
convert -size 480x320 xc:'#f4f1ea' -fill '#2a5d9f' -draw 'rectangle 40,60 440,260' \
  -fill white -draw 'rectangle 290,110 410,230' \( -size 20x20 pattern:checkerboard -scale 500% \) \
  -geometry +300+120 -composite "$WINEPREFIX/drive_c/pack-photo.png" || echo "run: no photo could be drawn" >&2
wine "$BUILD/win/bin/post_command.exe" "$CASE_TITLE" "$ADD_PHOTO" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q '"Open"' && break; sleep 0.1; done
wine "$BUILD/win/bin/post_command.exe" "Open" "$FILE_NAME" 'C:\pack-photo.png' >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "Open" 1 >/dev/null 2>&1
for _ in $(seq 1 50); do grep -q 'Photo recorded' "$LOG" 2>/dev/null && break; sleep 0.1; done
grep -q 'Photo recorded' "$LOG" || echo "run: the photo was not added" >&2
sleep 1  # painted
shoot "$CASE_TITLE" "$(dirname "$SHOT")/alert-case.png" && echo "run: alert case saved to $(dirname "$SHOT")/alert-case.png"
rm -f "$WINEPREFIX/drive_c/case-sheet.html"
wine "$BUILD/win/bin/post_command.exe" "$CASE_TITLE" "$CASE_SHEET" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q '"Save As"' && break; sleep 0.1; done
wine "$BUILD/win/bin/post_command.exe" "Save As" "$FILE_NAME" 'C:\case-sheet.html' >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "Save As" 1 >/dev/null 2>&1
for _ in $(seq 1 50); do [ -s "$WINEPREFIX/drive_c/case-sheet.html" ] && break; sleep 0.1; done
if [ -s "$WINEPREFIX/drive_c/case-sheet.html" ]; then
  cp "$WINEPREFIX/drive_c/case-sheet.html" "$(dirname "$SHOT")/case-sheet.html"
  echo "run: case sheet saved to $(dirname "$SHOT")/case-sheet.html"
  render_page "$(dirname "$SHOT")/case-sheet.html" "$(dirname "$SHOT")/case-sheet.png" 900,1300 &&
    echo "run: case sheet rendered to $(dirname "$SHOT")/case-sheet.png"
else
  echo "run: the case sheet was not written" >&2
fi
wine "$BUILD/win/bin/post_command.exe" "$CASE_TITLE" 1 >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "$HISTORY_TITLE" 2 >/dev/null 2>&1

echo "run: checking a delivery (tray menu) in Decommission mode: every scan is a Verify of the delivery"
TRAY_DELIVERY=2401 SUPPLIER_FIELD=2442 NOTE_FIELD=2444 DELIVERY_REPORT=2449
DELIVERY_FINISH=2450
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$TRAY_DELIVERY" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$DELIVERY_TITLE\"" && break; sleep 0.1; done
wine "$BUILD/win/bin/post_command.exe" "$DELIVERY_TITLE" "$SUPPLIER_FIELD" "Phoenix Nord" >/dev/null 2>&1
wine "$BUILD/win/bin/post_command.exe" "$DELIVERY_TITLE" "$NOTE_FIELD" "LS-2026-1208" >/dev/null 2>&1
# A good pack, a recalled one, one that expires in 45 days (the stand-in's
# SHORT001) and the good one again.
SHORT_EXPIRY="$(date -u -d '+45 days' +%y%m%d)"
DELIVERED=$(grep -c 'FMD - Deleting "[0-9]*.dat"' "$LOG" || true)
for pack in '0104150123456782172912311''0LOT24A\x1d21DEMO0002' '0104150123456799172912311''0LOT13R\x1d21RECALL01' \
  "010415012345678217${SHORT_EXPIRY}10LOT24A\\x1d21SHORT001" '0104150123456782172912311''0LOT24A\x1d21DEMO0002'; do
  "$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 "$pack"
  sleep 1
  close_popups "$VERIFY_POPUP"
done
wait_for_exchanges $((DELIVERED + 4))
close_popups "$VERIFY_POPUP"
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$TRAY_DELIVERY" >/dev/null 2>&1  # brought forward
sleep 1  # painted
shoot "$DELIVERY_TITLE" "$(dirname "$SHOT")/delivery.png" && echo "run: delivery check saved to $(dirname "$SHOT")/delivery.png"
wine "$BUILD/win/bin/post_command.exe" "$DELIVERY_TITLE" "$DELIVERY_REPORT" >/dev/null 2>&1
REPORTS="$APPDATA_DIR/QuorvixFMD Pellwick/Reports"
for _ in $(seq 1 50); do [ -s "$REPORTS/delivery-1.csv" ] && break; sleep 0.1; done
if [ -s "$REPORTS/delivery-1.html" ]; then
  cp "$REPORTS/delivery-1.html" "$REPORTS/delivery-1.csv" "$(dirname "$SHOT")/"
  echo "run: delivery report saved to $(dirname "$SHOT")/delivery-1.html and .csv"
else
  echo "run: the delivery report was not written" >&2
fi
wine "$BUILD/win/bin/post_command.exe" "$DELIVERY_TITLE" "$DELIVERY_FINISH" >/dev/null 2>&1
echo "run: the activity report from the command line, beside the running program"
rm -f "$WINEPREFIX/drive_c/activity-report.html"
wine "$BUILD/win/bin/Pellwick.exe" report 'C:\activity-report.html' "$(date -d '-6 days' +%Y-%m-%d)" \
  "$(date +%Y-%m-%d)" 2>/dev/null | sed 's/^/  /'
if [ -s "$WINEPREFIX/drive_c/activity-report.html" ]; then
  cp "$WINEPREFIX/drive_c/activity-report.html" "$(dirname "$SHOT")/activity-report.html"
  render_page "$(dirname "$SHOT")/activity-report.html" "$(dirname "$SHOT")/activity-report.png" 1100,960 &&
    echo "run: activity report rendered to $(dirname "$SHOT")/activity-report.png"
else
  echo "run: the activity report was not written" >&2
fi
echo "run: the Activity report window (tray menu) for the same week"
TRAY_ACTIVITY=2402 FROM_FIELD=2462
wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$TRAY_ACTIVITY" >/dev/null 2>&1
for _ in $(seq 1 50); do xwininfo -root -tree | grep -q "\"$ACTIVITY_TITLE\"" && break; sleep 0.1; done
wine "$BUILD/win/bin/post_command.exe" "$ACTIVITY_TITLE" "$FROM_FIELD" "$(date -d '-6 days' +%Y-%m-%d)" >/dev/null 2>&1
sleep 1  # painted
shoot "$ACTIVITY_TITLE" "$(dirname "$SHOT")/activity-dialog.png" &&
  echo "run: Activity report window saved to $(dirname "$SHOT")/activity-dialog.png"
wine "$BUILD/win/bin/post_command.exe" "$ACTIVITY_TITLE" 1 >/dev/null 2>&1
for _ in $(seq 1 50); do grep -q 'Activity report of .* written to' "$LOG" 2>/dev/null && break; sleep 0.1; done
grep -q 'Activity report of .* written to' "$LOG" || echo "run: the window's activity report was not written" >&2
if [ -f "$DEMO/update/update.exe" ]; then
  echo "run: pressing \"Update NOW!\": the signed installer of 1.190417 is checked and started"
  UPDATE_BUTTON=1029
  wine "$BUILD/win/bin/post_command.exe" "$TITLE" "$UPDATE_BUTTON" >/dev/null 2>&1
  for _ in $(seq 1 300); do grep -q 'Running "' "$LOG" 2>/dev/null && break; sleep 0.1; done
  grep -q 'Running "' "$LOG" || echo "run: the update was not started" >&2
fi
echo "run: what the program did (from its trace log):"
grep -E 'Found COM|COM5 - barcode|Scanner test|Saved to|Mode On|FMD - Found|FMD - Deleting|[Hh]eld|not sent again|Counter safety|[Uu]pdate|Running' "$LOG" | sed 's/^/  /'
echo "run: the stand-in service's answers:"
grep -v listening "$DEMO/standin.log" | sed 's/^/  /'
