int stubSymbol19681() { return 0; }
