// Process entry of millconv.
#include "app/startup.h"

int main(int argc, char** argv) { return millconv::RunApplication(argc, argv); }
