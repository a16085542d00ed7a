int low() { return 1; }
