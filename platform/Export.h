#pragma once

// What a shared library of the project offers to other modules. Its headers
// open the project's namespace with BLASTSEARCH_EXPORT, so every name they
// declare is exported; the libraries build with hidden visibility, so a name
// that only a library's own sources define stays inside that library, and no
// program or other library can replace it by defining the same name. Sources
// reopen the namespace without the mark.
#if defined(Q_MOC_RUN)
// moc reads the namespace's opening and knows no attributes.
#define BLASTSEARCH_EXPORT
#else
#define BLASTSEARCH_EXPORT __attribute__((visibility("default")))
#endif
