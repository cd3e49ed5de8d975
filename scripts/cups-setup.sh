#!/bin/sh
# Brings up a local print service with one PDF queue as the default printer, for the end-to-end
# printing test. Idempotent: a running scheduler and an existing queue are kept.
# Needs root and the packages cups, cups-client, printer-driver-cups-pdf (and poppler-utils for the
# test). Prints the folder the queue writes its PDF files to as its last line.
set -eu

QUEUE="${KUVERTINO_CUPS_QUEUE:-Kuvertino-PDF}"
OUT_DIR="${KUVERTINO_CUPS_PDF_OUT:-/var/spool/cups-pdf/kuvertino}"
CONF=/etc/cups/cups-pdf.conf

if [ "$(id -u)" != 0 ]; then
    echo "cups-setup.sh: must run as root" >&2
    exit 1
fi
for tool in cupsd lpstat lpadmin lpoptions lpinfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "cups-setup.sh: $tool not found (install cups, cups-client)" >&2; exit 1; }
done
[ -f "$CONF" ] || { echo "cups-setup.sh: $CONF not found (install printer-driver-cups-pdf)" >&2; exit 1; }

# cups-pdf's output folder: fixed, independent of the user's home, each file labelled with its job
# number and named after the title the job was submitted with.
set_key() {
    if grep -Eq "^[#[:space:]]*$1[[:space:]]" "$CONF"; then
        sed -i -E "s|^[#[:space:]]*$1[[:space:]].*|$1 $2|" "$CONF"
    else
        echo "$1 $2" >>"$CONF"
    fi
}
set_key Out "$OUT_DIR"
set_key AnonDirName "$OUT_DIR"
set_key Label 1
set_key TitlePref 1
mkdir -p "$OUT_DIR"
chmod 0777 "$OUT_DIR"

scheduler_running() { lpstat -r 2>/dev/null | grep -q "is running"; }

if ! scheduler_running; then
    # No init system in CI: start the scheduler directly (it daemonises itself). Its socket folder
    # is normally made by the init system.
    mkdir -p /run/cups
    cupsd
    i=0
    until scheduler_running; do
        i=$((i + 1))
        if [ "$i" -gt 100 ]; then
            echo "cups-setup.sh: the print scheduler did not start" >&2
            exit 1
        fi
        sleep 0.1
    done
fi

if ! lpstat -p "$QUEUE" >/dev/null 2>&1; then
    MODEL=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ && /_opt/ {print $1; exit}')
    [ -n "$MODEL" ] || MODEL=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ {print $1; exit}')
    if [ -z "$MODEL" ]; then
        echo "cups-setup.sh: no cups-pdf model found (lpinfo -m)" >&2
        exit 1
    fi
    lpadmin -p "$QUEUE" -E -v cups-pdf:/ -m "$MODEL"
fi
# Enabled and accepting also when an earlier run left it stopped or rejecting.
cupsenable "$QUEUE" 2>/dev/null || lpadmin -p "$QUEUE" -E
cupsaccept "$QUEUE" 2>/dev/null || true
lpoptions -d "$QUEUE" >/dev/null
lpadmin -d "$QUEUE"

lpstat -d >&2
echo "$OUT_DIR"
