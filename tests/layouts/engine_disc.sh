# Drive layouts for the source-media tests, chosen by $LAYOUT.
# disc DIR LABEL [probe]: a disc image folder, with the game's executable
# under Brindlemarch\ when "probe" is given.
disc() {
    mkdir -p "$1"
    printf '%s' "$2" > "$1/.windows-label"
    if [ "${3:-}" = probe ]; then
        mkdir -p "$1/Brindlemarch"
        printf 'MZ' > "$1/Brindlemarch/Brindlemarch.exe"
    fi
}
d="$TEST_DIR/drives"
case "$LAYOUT" in
none)            export EXPECT_SOURCE=program ;;
disc)            disc "$d/e" Brindlemarch probe; map_drive e "$d/e" cdrom
                 export EXPECT_SOURCE=e: EXPECT_KINDS="e=2:Brindlemarch" ;;
no_probe)        disc "$d/e" Brindlemarch; map_drive e "$d/e" cdrom
                 export EXPECT_SOURCE=program ;;
two_discs)       disc "$d/g" Brindlemarch probe; map_drive g "$d/g" cdrom
                 disc "$d/e" Brindlemarch probe; map_drive e "$d/e" cdrom
                 export EXPECT_SOURCE=e: ;;
later_drive)     disc "$d/e" Brindlemarch; map_drive e "$d/e" cdrom
                 disc "$d/y" Brindlemarch probe; map_drive y "$d/y" cdrom
                 export EXPECT_SOURCE=y: ;;
wrong_case)      disc "$d/e" BRINDLEMARCH probe; map_drive e "$d/e" cdrom
                 export EXPECT_SOURCE=program ;;
no_disc)         map_drive e "$d/empty-drive-missing" cdrom; rm -rf "$d/empty-drive-missing"
                 disc "$d/f" Brindlemarch probe; map_drive f "$d/f" cdrom
                 export EXPECT_SOURCE=f: ;;
fixed)           disc "$d/e" Brindlemarch probe; map_drive e "$d/e" hd
                 export EXPECT_SOURCE=program EXPECT_KINDS="e=1:Brindlemarch" ;;
*)               echo "unknown layout $LAYOUT" >&2; return 1 ;;
esac
