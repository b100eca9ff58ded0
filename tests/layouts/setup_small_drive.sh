# Drive f: is a volume of 2 MiB: too small for the product's files.
full_disk "$TEST_DIR/small" 2m
map_drive f "$TEST_DIR/small" hd
