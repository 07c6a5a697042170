#ifndef ENGINE_TESTKIT_SAMPLETREES_H_
#define ENGINE_TESTKIT_SAMPLETREES_H_

#include <cstddef>
#include <string>

#include "engine/testkit/treecheck.h"

// Small trees in the shapes real projects take, shared by the fault, kill
// and bad-input suites.

// Demo/Demo.vbp listing a CR LF form beside an older backup of it, an
// LF-only form in a subfolder, a form of a shared folder spelt in another
// letter case, and a user control; a module it does not convert.
Tree SampleProject();

// A batch folder: two projects sharing a form, a backup of an older project
// file, a project already converted, a folder without projects and a link to
// one of the project folders. form_bytes pads each form's code to about that
// size, for runs that last long enough to be killed half way.
Tree SampleBatch(size_t form_bytes = 0);

// The smallest project and form the commands convert: a project file with
// the version 8 reference and the given entries ("Form=a.frm\r\n"), and a
// form holding one grid.
std::string CommandProject(const std::string& entries);
extern const char kCommandForm[];

// Orders/Orders.vbp listing a form, a form in a subfolder and a user
// control, each holding a grid: the project a command converts from the
// click to its last box.
Tree CommandOrders();

#endif  // ENGINE_TESTKIT_SAMPLETREES_H_
