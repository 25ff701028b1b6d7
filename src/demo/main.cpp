// Entry point of the presentation.
int main(int, char**) { return 0; }
