* Free layout: every section, every bound kind, maximisation.
NAME FREEALL
OBJSENSE
    MAX
ROWS
 N profit
 L cap
 G demand
 E flow
 L tight
COLUMNS
 a profit 3 cap 1
 a flow 1
 b profit 2 cap 2
 b demand 1 tight 1
 m1 'MARKER' 'INTORG'
 c profit 1 demand 1
 d profit 1 flow -1
 m2 'MARKER' 'INTEND'
 e profit -1 tight 1
 f cap 1 flow 1
 g demand 1
 h profit 0.25
 i tight 2
RHS
 rhs cap 10 demand 2
 rhs flow 0 tight 8
 alt cap 12
RANGES
 rng cap 4 demand 3
 rng flow 1.5 tight 0
BOUNDS
 UP bnd a 4
 LO bnd b 1
 FX bnd e 2
 FR bnd f
 MI bnd g
 PL bnd g
 BV bnd h
 UI bnd c 9
 LI bnd d -3
 UP bnd i -2
ENDATA
