#pragma once

#include <QString>

// Turns an open-file filter written as "description|patterns|description|patterns||" (patterns
// separated by ";") into the form QFileDialog takes: "description (patterns);;...", patterns
// separated by spaces. "*.*" means every file there, so it becomes "*" here, in the pattern and
// in a description that shows it.
QString QtFileFilter(const QString& filter);
