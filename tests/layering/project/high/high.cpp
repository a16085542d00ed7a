int high() { return 2; }
