#pragma once

// How many times operator new has run in this test program so far: lets a test show
// that an operation allocates nothing.
long AllocationCount();
