#include "app/main_sequence.h"

int main() { return RunMainSequence(); }
