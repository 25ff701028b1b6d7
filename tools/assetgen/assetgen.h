// The asset generator's entry points; each writes its files into outDir and
// returns 0, or prints what failed and returns 1.
#pragma once

int agWriteMusic(const char* outDir);   // rul-quor.s3m
int agWriteAssets(const char* outDir);  // quorvane.kvo, qvane.nfo and the program's resources
