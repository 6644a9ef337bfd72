#pragma once

// The groups of the adapter test program.
void RunConversionTests();
void RunStoreAdoTests();
void RunProfileTests();
void RunActivationTests();
void RunSetupPortTests();
void RunDirectoryQueryTests();
