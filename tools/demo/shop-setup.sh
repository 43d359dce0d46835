# shellcheck shell=bash
# The demo shop's program folder and printers, shared by run-demo (a short
# day, headless) and run-desktop (the program on the desktop until its
# tray's exit). Sourced by bash scripts that set ROOT, BUILD, DEMO and
# HOME_DIR; the printers' pids go into PIDS.

VPRINTER=$BUILD/tools/vprinter/zelkor-vprinter
SEND=$BUILD/tools/agent/nubeq-send

# Stops if something is not built; $1 names the make target that builds it.
shop_check_build() {
    for f in "$BUILD/app/qt/Zelkor" "$BUILD/tools/agent/NUBEQ" "$BUILD/tools/agent/libNUBEQ_IF.so" \
             "$BUILD/tools/agent/NUBEQ_LOG" "$SEND" "$VPRINTER"; do
        [ -e "$f" ] || { echo "$(basename "$0"): $f is missing (build first: make $1)" >&2; exit 2; }
    done
}

# The program folder: links to the program and the stand-in agent.
shop_stage_folder() {
    rm -rf "$DEMO"
    mkdir -p "$HOME_DIR"
    for f in app/qt/Zelkor tools/agent/NUBEQ tools/agent/NUBEQ_LOG tools/agent/libNUBEQ_IF.so; do
        ln -s "$BUILD/$f" "$HOME_DIR/"
    done
    cp "$ROOT/tests/data/store/Store_Orgin.dat" "$HOME_DIR/"
}

# The printers: loopback TCP, ephemeral ports, the bound address first on stdout.
shop_start_printer() { # name
    mkdir -p "$DEMO/printers/$1"
    "$VPRINTER" --tcp 127.0.0.1:0 --png --out "$DEMO/printers/$1" > "$DEMO/printers/$1.out" \
        2> "$DEMO/printers/$1.err" < /dev/null &
    PIDS+=($!)
}
shop_printer_port() { # name
    for _ in $(seq 100); do
        [ -s "$DEMO/printers/$1.out" ] && break
        sleep 0.05
    done
    head -1 "$DEMO/printers/$1.out" | sed 's/.*://'
}

# Starts the kitchen and the counter printer and writes the shop's
# Config.ini for them; sets KITCHEN_PORT and COUNTER_PORT.
shop_start_printers() {
    shop_start_printer kitchen
    shop_start_printer counter
    KITCHEN_PORT=$(shop_printer_port kitchen)
    COUNTER_PORT=$(shop_printer_port counter)
    if [ -z "$KITCHEN_PORT" ] || [ -z "$COUNTER_PORT" ]; then
        echo "$(basename "$0"): the virtual printers did not start; see $DEMO/printers/*.err" >&2
        exit 1
    fi
    # The shop's settings; its file ends in the [PRINTER] section, where the
    # two printers go.
    {
        cat "$ROOT/tests/data/store/Config.ini"
        printf 'Printer1Name=KITCHEN\r\nPrinter1Use=1\r\nPrinter1Rcp=0\r\nPrinter1LanPrintUse=1\r\n'
        printf 'Printer1LanPrintIP=127.0.0.1\r\nPrinter1LanPrintPort=%s\r\n' "$KITCHEN_PORT"
        printf 'Printer2Name=COUNTER\r\nPrinter2Use=0\r\nPrinter2Rcp=1\r\nPrinter2LanPrintUse=1\r\n'
        printf 'Printer2LanPrintIP=127.0.0.1\r\nPrinter2LanPrintPort=%s\r\n' "$COUNTER_PORT"
        printf 'PickupPaymentPrintCnt=1\r\nDeliveryPaymentPrintCnt=1\r\n'
        printf '[ORDER]\r\nStartNo=1\r\nLastNo=1\r\nLastDate=%s\r\n' "$(date +%Y%m%d)"
    } > "$HOME_DIR/Config.ini"
}

# Stops the printers and an agent left running.
shop_cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [ -s "$HOME_DIR/NUBEQ.pid" ]; then kill "$(cat "$HOME_DIR/NUBEQ.pid")" 2>/dev/null || true; fi
    wait 2>/dev/null || true
}
