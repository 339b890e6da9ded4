NAME          MIPMARK
ROWS
 N  OBJ
 L  KNAP
 G  COVER
COLUMNS
    MARKER                 'MARKER'                 'INTORG'
    X1        OBJ                 -5   KNAP                 3
    X2        OBJ                 -4   KNAP                 2
    X3        OBJ                 -3   KNAP                 4
    X3        COVER                1
    MARKER                 'MARKER'                 'INTEND'
    S         OBJ                  1   COVER                1
RHS
    RHS       KNAP                 7   COVER                1
BOUNDS
 UP BND       X1                   1
 UP BND       X2                   1
 UP BND       X3                   3
ENDATA
