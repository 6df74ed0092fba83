#include <kelnl/kelnl.h>
#include <stdio.h>

int main(void) {
  NlGlobalContext *context = NULL;
  int status;
  nlstdini(&context);
  status = context != NULL && nlifigbl(context) == 0 ? 0 : 1;
  if (status == 0) printf("installed kelnl works: vector of %d bytes\n", context->data_representation->vector[0]);
  nlstdtrm(&context);
  return status;
}
