// The launch token files and profile stamps written just before every game start.
#ifndef VORN_LAUNCH_TOKENS_H
#define VORN_LAUNCH_TOKENS_H

void WriteLaunchTokenFiles();
void WriteProfileStamps();

#endif
