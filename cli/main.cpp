// PLACEHOLDER: replaced by the command-line host.
int main() { return 1; }
