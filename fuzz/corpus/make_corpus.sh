#!/usr/bin/env bash
# Writes the seed inputs of the fuzz target into this folder. The answers
# follow the script format of fuzz/fake_driver.h; a tick's commands come in
# the order: DMA count, interrupt count, then for a non-zero interrupt count
# its count and read, then for a non-zero DMA count its count and read.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

bytes() { printf "$(printf '\\x%02x' "$@")"; }
word() { bytes $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
ok() { bytes 0; word "$1"; }
failed() { bytes 1; }
bc_tick() { bytes 0; }
rt_tick() { bytes 1; }
# An interrupt entry: free timer, interrupt bits, two status registers.
entry() { word "$1"; word "$2"; word 0; word 0; }
# A DMA block: status word 0, timer words 1 and 4, then data words 1, 2, 3...
block() {
    word "$1"; word "$2"; word 0; word 0; word "$2"
    head -c 44 /dev/zero
    for i in $(seq 1 32); do bytes "$i" 0; done
}
# Status words: BC success, 3 data words, 2 service words, bus B; RT error at
# subaddress 5 with one service word; and 63 data words, more than fit.
bc_status=$((1 << 28 | 2 << 11 | 3 << 5 | 2 << 1 | 1 << 15))
rt_status=$((1 << 26 | 1 << 27 | 1 << 11 | 5))
long_status=$((63 << 5))

seed() {
    mkdir -p "$here/$1"
    cat > "$here/$1/$2"
}

bc_tick; ok 0; ok 0 | seed fuzz_polling_tick empty_queues
{ rt_tick; ok 0; ok 2; ok 2; ok 2; entry 512 5; entry 530 1; } | seed fuzz_polling_tick interrupts_only
{ bc_tick; ok 1; ok 0; ok 1; ok 1; block $bc_status 700; } | seed fuzz_polling_tick dma_only_bc
{ rt_tick; ok 2; ok 0; ok 2; ok 2; block $rt_status 900; block $long_status 1; } | seed fuzz_polling_tick dma_only_rt
{ bc_tick; failed; failed; failed; failed; } | seed fuzz_polling_tick count_failures
{ rt_tick; ok 1; ok 1; ok 1; failed; ok 1; failed; } | seed fuzz_polling_tick read_failures
{ bc_tick; ok 2; ok 3; ok 3; ok 1000; entry 1 1; entry 2 2; entry 3 3;
  ok 2; ok 4294967295; block $bc_status 1; block $bc_status 2; } | seed fuzz_polling_tick counts_above_buffer
{ bc_tick; ok 4294967295; ok 4294967294; ok 4294967294; ok 33554432; } | seed fuzz_polling_tick huge_counts
{ rt_tick; ok 1; ok 0; ok 1; ok 1; block $long_status 63; } | seed fuzz_polling_tick data_words_63
{ bc_tick; ok 1; ok 0; ok 0; rt_tick; ok 1; ok 0; ok 1; ok 1; block $rt_status 2; } | seed fuzz_polling_tick count_fell_to_zero_then_block
# The read's own count is below the tick's: the buffer holds one entry, not three.
{ bc_tick; ok 0; ok 3; ok 1; ok 1; entry 7 1; } | seed fuzz_polling_tick interrupt_count_fell_before_the_read

