// The reference for the whole-run timing: a C++ program that does nothing,
// built with the program's flags and linked the same way.
int main() {
  return 0;
}
