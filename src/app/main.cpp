// Process entry of millconv.
#include "app/startup.h"

int main(int argc, char** argv) { millconv::EndProcess(millconv::RunApplication(argc, argv)); }
