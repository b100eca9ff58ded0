# Drive F: is a 1 MiB file system of its own, for copies that run out of space.
full_disk "$TEST_DIR/small" 1m
map_drive f "$TEST_DIR/small" hd
