// The exported tables of process addresses and their getters.
#include "kelnl/nlpc.h"

const char* nlpcptab[] = {"ADDRESS", "PROCESS", "PROGRAM", "DESCRIPTION/ADDRESS", "ADD", "DES/ADD", nullptr};

// The order is the order of the fields in the record; spawn_address.cc indexes it by SpawnField.
const char* nlpclutab[] = {"PROG:PROGRAM:NAME", "ARGV0", "TYPE", "IN", "OUT", "ARGS:ARGUMENTS:ARG",
                           "ENVS:ENV", "PRIVS", "OSDS", "DETACH", "TIMEOUT", "ENV_POLICY", nullptr};

const char* nlpclutabfc[] = {"(PROGRAM=)", "(ARGV0=)", "(TYPE=)", "(IN=)", "(OUT=)", "(ARGS=)", "(ENVS=)",
                             "(PRIVS=)", "(OSDS=)", "(DETACH=)", "(TIMEOUT=)", "(ENV_POLICY=)", nullptr};

extern "C" const char** nlpcgptab(void) { return nlpcptab; }
extern "C" const char** nlpcglutab(void) { return nlpclutab; }
extern "C" const char** nlpcglutabfc(void) { return nlpclutabfc; }
