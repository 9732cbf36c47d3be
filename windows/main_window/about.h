#pragma once

#include <QString>

// "О программе": the version, the build, the Qt in use and the licences.
QString about_text();
