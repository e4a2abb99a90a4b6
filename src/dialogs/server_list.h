// The server table read from .\Launcher\ServerList.dat.
#ifndef VORN_SERVER_LIST_H
#define VORN_SERVER_LIST_H

#include "dialogs/server_list_format.h"

extern ServerListTable ServerList;

void ResetServerList();

// 1 when the file could be opened (whatever it held), 0 when not.
int LoadServerList(const char* relativePath);

#endif
