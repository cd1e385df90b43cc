int stubSymbol13160() { return 0; }
