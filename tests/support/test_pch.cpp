// The precompiled headers of the tests are made with this file (tests/CMakeLists.txt).
