// Replaced by the real entry point shortly.
int main() { return 0; }
