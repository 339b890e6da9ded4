NAME          CORPUS1  fixed layout with blanks in names
ROWS
 N  COST
 L  LIM 1
 G  LIM 2
 E  BAL 1
 E  BAL 2
 N  SPARE
COLUMNS
    X 1       COST                1.   LIM 1               1.
    X 1       LIM 2               1.   SPARE               2.
    X 2       COST                2.   LIM 1               1.
    X 2       BAL 1              -1.
    MARKER    'MARKER'                 'INTORG'
    Y 1       COST               -1.   BAL 1               1.
    Y 2       BAL 2               1.   LIM 2             -3.5
    MARKER    'MARKER'                 'INTEND'
    Z         COST                .5   BAL 2               1.
    W         LIM 1               0.
RHS
              LIM 1               4.   LIM 2               1.
              BAL 1               7.   COST             -1.25
RANGES
    RNG       LIM 1              2.5   LIM 2              -3.
    RNG       BAL 1              -1.   BAL 2               2.
BOUNDS
 UP BND       X 1                 4.
 LO BND       X 2                -1.
 UP BND       X 2                 1.
 UP BND       Y 1                 1.
 LI BND       Y 2                -2.
 UI BND       Y 2                 5.
 MI BND       Z
 UP BND       Z                  -1.
 FX BND       W                   3.
ENDATA
