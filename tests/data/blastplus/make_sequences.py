"""Writes the generated sequences that make.sh searches: protein and
nucleotide databases with families of related sequences, and queries made
from database members by mutation (plus one random query of each kind, which
finds nothing)."""
import random
import sys

rng = random.Random(20261207)
AMINO = "ACDEFGHIKLMNPQRSTVWY"
BASES = "ACGT"
# The standard genetic code, codons in TCAG order.
TABLE = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"
CODONS = [a + b + c for a in "TCAG" for b in "TCAG" for c in "TCAG"]
BY_AMINO = {}
for codon, amino in zip(CODONS, TABLE):
    BY_AMINO.setdefault(amino, []).append(codon)


def protein(n):
    return "".join(rng.choice(AMINO) for _ in range(n))


def mutate(seq, alphabet, rate, indels=0):
    out = [rng.choice(alphabet) if rng.random() < rate else c for c in seq]
    for _ in range(indels):
        at = rng.randrange(5, len(out) - 5)
        if rng.random() < 0.5:
            del out[at:at + rng.randint(1, 3)]
        else:
            out[at:at] = [rng.choice(alphabet) for _ in range(rng.randint(1, 3))]
    return "".join(out)


def back_translate(prot):
    return "".join(rng.choice(BY_AMINO[a]) for a in prot)


def revcomp(dna):
    return dna.translate(str.maketrans("ACGT", "TGCA"))[::-1]


def write(path, records):
    with open(path, "w") as f:
        for name, seq in records:
            f.write(">" + name + "\n")
            for i in range(0, len(seq), 60):
                f.write(seq[i:i + 60] + "\n")


folder = sys.argv[1]
families = [protein(rng.randint(120, 260)) for _ in range(6)]
prot_db, nucl_db = [], []
for f, root in enumerate(families):
    for m in range(5):
        member = mutate(root, AMINO, 0.08 * m, indels=m)
        prot_db.append((f"sp|P{f}{m:04d}|FAM{f}_M{m} family {f} member {m} protein "
                        f"of a generated organism with a long definition line that wraps", member))
        dna = "".join(rng.choice(BASES) for _ in range(90)) + back_translate(member) + \
            "".join(rng.choice(BASES) for _ in range(60))
        nucl_db.append((f"gb|AB{f}{m:04d}.1| family {f} member {m} gene, complete cds", dna))
for i in range(10):
    prot_db.append((f"sp|Q{i:05d}|RND{i} unrelated protein {i}", protein(rng.randint(60, 200))))
    nucl_db.append((f"gb|XR{i:05d}.1| unrelated sequence {i}",
                    "".join(rng.choice(BASES) for _ in range(rng.randint(200, 600)))))
write(f"{folder}/prot_db.fa", prot_db)
write(f"{folder}/nucl_db.fa", nucl_db)

prot_queries = [
    ("query_p1 family 0 variant, a query whose definition is long enough to be wrapped over "
     "two lines by BLAST+", mutate(families[0], AMINO, 0.15, indels=2)),
    ("query_p2 two families fused", mutate(families[1][:100] + families[2][20:], AMINO, 0.1, 1)),
    ("query_p3 random, no hits", protein(90)),
]
nucl_queries = [
    ("query_n1 family 3 member 1 gene", mutate(nucl_db[16][1], BASES, 0.04, indels=2)),
    ("query_n2 reverse strand of family 4", revcomp(mutate(nucl_db[21][1][:400], BASES, 0.05))),
    ("query_n3 random, no hits", "".join(rng.choice(BASES) for _ in range(150))),
]
coding = [
    ("query_x1 coding family 5", mutate(nucl_db[25][1], BASES, 0.06)),
    ("query_x2 reverse coding family 1", revcomp(mutate(nucl_db[6][1], BASES, 0.05))),
    ("query_x3 random, no hits", "".join(rng.choice(BASES) for _ in range(240))),
]
write(f"{folder}/prot_queries.fa", prot_queries)
write(f"{folder}/nucl_queries.fa", nucl_queries)
write(f"{folder}/nucl_coding_queries.fa", coding)
